#include "preview/ShowImage.h"

#include "platform/PropertyStore.h"
#include "preview/FitArithmetic.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

namespace {

int vbButton(Qt::MouseButtons buttons)
{
    int value = 0;
    if (buttons & Qt::LeftButton) {
        value |= 1;
    }
    if (buttons & Qt::RightButton) {
        value |= 2;
    }
    if (buttons & Qt::MiddleButton) {
        value |= 4;
    }
    return value;
}

int vbShift(Qt::KeyboardModifiers modifiers)
{
    int value = 0;
    if (modifiers & Qt::ShiftModifier) {
        value |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        value |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        value |= 4;
    }
    return value;
}

} // namespace

ShowImageSurface::ShowImageSurface(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("immagine"));
    setMouseTracking(true);
}

void ShowImageSurface::clearTo(const QColor& color)
{
    m_canvasColor = color;
    if (m_canvas.size() != size()) {
        m_canvas = QPixmap(size());
    }
    m_canvas.fill(color);
    update();
}

void ShowImageSurface::paintPicture(const QImage& picture, const QRect& target, const QColor& background)
{
    clearTo(background);
    QPainter painter(&m_canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
    update();
}

void ShowImageSurface::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_canvas);
    }
    QFrame::paintEvent(event); // the border, over the canvas
}

void ShowImageSurface::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // A new size starts blank; the control paints the picture again right after.
    QPixmap grown(size());
    grown.fill(m_canvasColor.isValid() ? m_canvasColor : palette().color(QPalette::Button));
    m_canvas = grown;
}

void ShowImageSurface::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    Q_EMIT mousePressed(vbButton(event->buttons()), vbShift(event->modifiers()), float(at.x()), float(at.y()));
}

void ShowImageSurface::mouseReleaseEvent(QMouseEvent* event)
{
    if (rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
    }
}

void ShowImageSurface::mouseDoubleClickEvent(QMouseEvent*)
{
    Q_EMIT doubleClicked();
}

void ShowImageSurface::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    Q_EMIT mouseMoved(vbButton(event->buttons()), vbShift(event->modifiers()), float(at.x()), float(at.y()));
}

ShowImage::ShowImage(QWidget* parent) : QWidget(parent), m_immagine(new ShowImageSurface(this))
{
    m_immagine->setFrameShape(QFrame::Box);
    m_immagine->setLineWidth(1);
    m_immagine->clearTo(colorFromValue(m_backColor, palette()));
    connect(m_immagine, &ShowImageSurface::clicked, this, &ShowImage::Click);
    connect(m_immagine, &ShowImageSurface::doubleClicked, this, &ShowImage::DblClick);
    connect(m_immagine, &ShowImageSurface::mouseMoved, this, &ShowImage::MouseMove);
    connect(m_immagine, &ShowImageSurface::mousePressed, this, &ShowImage::MouseDown);
}

int ShowImage::BorderStyle() const
{
    return m_immagine->frameShape() == QFrame::NoFrame ? 0 : 1;
}

void ShowImage::setBorderStyle(int New_BorderStyle)
{
    m_immagine->setFrameShape(New_BorderStyle == 0 ? QFrame::NoFrame : QFrame::Box);
    Q_EMIT PropertyChanged(QStringLiteral("BorderStyle"));
}

void ShowImage::Cls()
{
    m_immagine->clearTo(colorFromValue(m_backColor, palette()));
}

quint32 ShowImage::BackColor() const
{
    return m_backColor;
}

void ShowImage::setBackColor(quint32 New_BackColor)
{
    m_backColor = New_BackColor;
    Q_EMIT PropertyChanged(QStringLiteral("BackColor"));
    // The background shows at once, with or without a picture.
    Cls();
    showImageInfo();
}

QImage ShowImage::Picture() const
{
    return m_temp;
}

void ShowImage::setPicture(const QImage& New_Picture)
{
    m_temp = New_Picture;
    Q_EMIT PropertyChanged(QStringLiteral("Picture"));
    showImageInfo();
}

void ShowImage::showImageInfo()
{
    if (m_temp.isNull()) {
        return;
    }
    const FitRect fit = fitPicture(m_temp.width(), m_temp.height(), m_immagine->width(), m_immagine->height());
    const QColor background = colorFromValue(m_backColor, palette());
    if (fit.w <= 0 || fit.h <= 0) {
        m_immagine->clearTo(background);
        return;
    }
    m_immagine->paintPicture(m_temp, QRect(fit.x, fit.y, fit.w, fit.h), background);
}

bool ShowImage::loadimg(const QString& nome, QString* error)
{
    QImageReader reader(nome);
    reader.setAutoTransform(true);
    QImage loaded = reader.read();
    if (loaded.isNull()) {
        if (error) {
            *error = reader.errorString();
        }
        return false;
    }
    m_temp = std::move(loaded);
    showImageInfo();
    return true;
}

void ShowImage::ReadProperties(const PropertyStore& store)
{
    m_temp = store.read(QStringLiteral("Picture"), QImage()).value<QImage>();
    m_immagine->setFrameShape(
        store.read(QStringLiteral("BorderStyle"), kDefaultBorderStyle).toInt() == 0 ? QFrame::NoFrame : QFrame::Box);
    m_backColor = store.read(QStringLiteral("BackColor"), kDefaultBackColor).toUInt();
}

void ShowImage::WriteProperties(PropertyStore& store) const
{
    store.write(QStringLiteral("Picture"), m_temp, QImage());
    store.write(QStringLiteral("BorderStyle"), BorderStyle(), kDefaultBorderStyle);
    store.write(QStringLiteral("BackColor"), m_backColor, kDefaultBackColor);
}

QImage ShowImage::surfaceImage() const
{
    return m_immagine->grab().toImage();
}

QColor ShowImage::colorFromValue(quint32 value, const QPalette& palette)
{
    if (value & 0x80000000u) {
        switch (value & 0xFFu) {
        case 5: // window background
            return palette.color(QPalette::Base);
        case 8: // window text
            return palette.color(QPalette::Text);
        case 15: // button face
            return palette.color(QPalette::Button);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

void ShowImage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_immagine->move(0, 0);
    m_immagine->resize(m_immagine->width(), height());
    m_immagine->resize(width(), height());
    showImageInfo();
}
