#include "preview/ShowImageSurface.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <cstdlib>

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

void ShowImageSurface::blankCanvas(const QColor& color)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    if (m_canvas.size() != pixels || m_canvas.devicePixelRatio() != ratio) {
        m_canvas = QPixmap(pixels);
        m_canvas.setDevicePixelRatio(ratio);
    }
    m_canvas.fill(color);
}

void ShowImageSurface::clearTo(const QColor& color)
{
    m_canvasColor = color;
    blankCanvas(color);
    update();
}

void ShowImageSurface::paintPicture(const QImage& picture, const QRect& target, const QColor& background)
{
    clearTo(background);
    drawPicture(picture, target);
}

void ShowImageSurface::paintOnSheet(const QImage& picture, const QRect& sheet, const QRect& target,
                                    const QColor& background)
{
    clearTo(background);
    {
        QPainter painter(&m_canvas);
        painter.fillRect(sheet, Qt::white);
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(sheet.adjusted(0, 0, -1, -1));
    }
    drawPicture(picture, target);
}

void ShowImageSurface::drawPicture(const QImage& picture, const QRect& target)
{
    const qreal ratio = m_canvas.devicePixelRatio();
    const QSize pixels(qRound(target.width() * ratio), qRound(target.height() * ratio));
    // A picture read for this very size is drawn untouched: a one-pixel stretch would blur all of it.
    QImage drawn = picture;
    if (std::abs(picture.width() - pixels.width()) > 1 || std::abs(picture.height() - pixels.height()) > 1) {
        drawn = picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    drawn.setDevicePixelRatio(ratio);
    QPainter painter(&m_canvas);
    painter.drawImage(target.topLeft(), drawn);
    update();
}

void ShowImageSurface::setLoadingNote(bool shown)
{
    if (m_loadingNote != shown) {
        m_loadingNote = shown;
        update();
    }
}

void ShowImageSurface::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.drawPixmap(0, 0, m_canvas);
        if (m_loadingNote) {
            const QRect band(0, height() / 2 - fontMetrics().height(), width(), 2 * fontMetrics().height());
            painter.fillRect(band, QColor(255, 255, 255, 200));
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(band, Qt::AlignCenter, tr("Loading the picture…"));
        }
    }
    QFrame::paintEvent(event); // the border, over the canvas
}

void ShowImageSurface::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // A new size starts blank; the control paints the picture again right after.
    blankCanvas(m_canvasColor.isValid() ? m_canvasColor : palette().color(QPalette::Button));
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
