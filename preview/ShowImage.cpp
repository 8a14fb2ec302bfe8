#include "preview/ShowImage.h"

#include "imagereader/PreviewRead.h"
#include "platform/PropertyStore.h"
#include "preview/FitArithmetic.h"
#include "preview/ShowImageSurface.h"

#include <QTransform>

#include <cmath>

ShowImage::ShowImage(QWidget* parent)
    : QWidget(parent), m_surface(new ShowImageSurface(this)), m_reader(new PreviewRead(this))
{
    m_surface->setFrameShape(QFrame::Box);
    m_surface->setLineWidth(1);
    m_surface->clearTo(colorFromValue(m_backColor, palette()));
    connect(m_surface, &ShowImageSurface::clicked, this, &ShowImage::Click);
    connect(m_surface, &ShowImageSurface::doubleClicked, this, &ShowImage::DblClick);
    connect(m_surface, &ShowImageSurface::mouseMoved, this, &ShowImage::MouseMove);
    connect(m_surface, &ShowImageSurface::mousePressed, this, &ShowImage::MouseDown);
    connect(m_reader, &PreviewRead::finished, this, &ShowImage::pictureRead);

    m_sharpenDelay.setSingleShot(true);
    m_sharpenDelay.setInterval(150);
    connect(&m_sharpenDelay, &QTimer::timeout, this, &ShowImage::sharpenIfEnlarged);
    m_noteDelay.setSingleShot(true);
    m_noteDelay.setInterval(300);
    connect(&m_noteDelay, &QTimer::timeout, this, [this] { m_surface->setLoadingNote(isLoading()); });
}

ShowImage::~ShowImage() = default;

int ShowImage::BorderStyle() const
{
    return m_surface->frameShape() == QFrame::NoFrame ? 0 : 1;
}

void ShowImage::setBorderStyle(int style)
{
    m_surface->setFrameShape(style == 0 ? QFrame::NoFrame : QFrame::Box);
    Q_EMIT PropertyChanged(QStringLiteral("BorderStyle"));
}

void ShowImage::clear()
{
    // A picture still being read must not appear after the preview was blanked (Close, the end of a run).
    stopReading();
    m_surface->clearTo(colorFromValue(m_backColor, palette()));
}

quint32 ShowImage::BackColor() const
{
    return m_backColor;
}

void ShowImage::setBackColor(quint32 color)
{
    m_backColor = color;
    Q_EMIT PropertyChanged(QStringLiteral("BackColor"));
    // The background shows at once, with or without a picture.
    m_surface->clearTo(colorFromValue(m_backColor, palette()));
    drawPicture();
}

QImage ShowImage::Picture() const
{
    return m_picture;
}

void ShowImage::setPicture(const QImage& picture)
{
    stopReading();
    m_picture = picture;
    m_picturePath.clear();
    Q_EMIT PropertyChanged(QStringLiteral("Picture"));
    drawPicture();
}

void ShowImage::setQuarterTurns(int quarterTurns)
{
    m_quarterTurns = ((quarterTurns % 4) + 4) % 4;
    drawPicture();
}

void ShowImage::setSheetLayout(SheetLayout layout)
{
    m_sheetLayout = std::move(layout);
    const QColor background = colorFromValue(m_backColor, palette());
    m_surface->clearTo(background);
    drawPicture();
}

void ShowImage::drawPicture()
{
    if (m_picture.isNull()) {
        return;
    }
    const QImage shown =
        m_quarterTurns == 0 ? m_picture : m_picture.transformed(QTransform().rotate(90.0 * m_quarterTurns));
    const QColor background = colorFromValue(m_backColor, palette());
    const std::optional<PreviewSheet> sheet = m_sheetLayout ? m_sheetLayout(shown.size()) : std::nullopt;
    if (sheet && !sheet->size.isEmpty()) {
        // The sheet stands a few pixels in from the preview's edge, so that its own edge shows.
        constexpr int kInset = 6;
        const FitRect fit =
            fitPicture(int(std::lround(sheet->size.width() * 10)), int(std::lround(sheet->size.height() * 10)),
                       m_surface->width() - 2 * kInset, m_surface->height() - 2 * kInset);
        if (fit.w > 0 && fit.h > 0) {
            const double scale = fit.w / sheet->size.width();
            const QRect paper(fit.x + kInset, fit.y + kInset, fit.w, fit.h);
            const QRectF placed(paper.x() + sheet->picture.x() * scale, paper.y() + sheet->picture.y() * scale,
                                sheet->picture.width() * scale, sheet->picture.height() * scale);
            const QRect target = placed.toRect().intersected(paper);
            if (!target.isEmpty()) {
                m_surface->paintOnSheet(shown, paper, target, background);
                return;
            }
        }
    }
    const FitRect fit = fitPicture(shown.width(), shown.height(), m_surface->width(), m_surface->height());
    if (fit.w <= 0 || fit.h <= 0) {
        m_surface->clearTo(background);
        return;
    }
    m_surface->paintPicture(shown, QRect(fit.x, fit.y, fit.w, fit.h), background);
}

void ShowImage::showImage(const QString& path)
{
    startReading({path, deviceBox(), false});
}

bool ShowImage::isLoading() const
{
    return m_reading.has_value() && !m_reading->sharpen;
}

QSize ShowImage::deviceBox() const
{
    const qreal ratio = devicePixelRatioF();
    return {std::max(1, int(std::ceil(width() * ratio))), std::max(1, int(std::ceil(height() * ratio)))};
}

void ShowImage::startReading(const Reading& reading)
{
    m_sharpenDelay.stop();
    m_reading = reading;
    m_reader->request(reading.path, reading.box);
    if (!reading.sharpen) {
        m_noteDelay.start();
    }
}

void ShowImage::stopReading()
{
    m_sharpenDelay.stop();
    m_noteDelay.stop();
    m_surface->setLoadingNote(false);
    if (m_reading) {
        m_reader->cancel();
        m_reading.reset();
    }
}

void ShowImage::pictureRead(const QString& path, const QImage& image, const QString& reason)
{
    if (!m_reading || m_reading->path != path) {
        return;
    }
    const Reading reading = *m_reading;
    m_reading.reset();
    m_noteDelay.stop();
    m_surface->setLoadingNote(false);
    if (image.isNull()) {
        if (reading.sharpen) {
            // The file changed or went away since: keep the picture shown, quietly, and stop asking.
            m_picturePath.clear();
            return;
        }
        Q_EMIT loadFinished(path, reason.isEmpty() ? tr("The picture could not be read.") : reason);
        return;
    }
    m_picture = image;
    m_picturePath = path;
    m_pictureBox = reading.box;
    drawPicture();
    if (!reading.sharpen) {
        Q_EMIT loadFinished(path, QString());
    }
    sharpenIfEnlarged(); // the window may have grown while the file was read
}

void ShowImage::sharpenIfEnlarged()
{
    if (m_reading || m_picturePath.isEmpty() || m_picture.isNull()) {
        return;
    }
    // Never enlarged: a picture that fits its box with room on both sides is the whole file already.
    const bool whole = m_picture.width() < m_pictureBox.width() && m_picture.height() < m_pictureBox.height();
    const QSize box = deviceBox();
    if (whole || (box.width() <= m_pictureBox.width() && box.height() <= m_pictureBox.height())) {
        return;
    }
    const FitRect fit = fitPicture(m_picture.width(), m_picture.height(), box.width(), box.height());
    if (fit.w > m_picture.width() + 1 || fit.h > m_picture.height() + 1) {
        startReading({m_picturePath, box, true});
    }
}

void ShowImage::ReadProperties(const PropertyStore& store)
{
    stopReading();
    m_picture = store.read(QStringLiteral("Picture"), QImage()).value<QImage>();
    m_picturePath.clear();
    m_surface->setFrameShape(
        store.read(QStringLiteral("BorderStyle"), kDefaultBorderStyle).toInt() == 0 ? QFrame::NoFrame : QFrame::Box);
    m_backColor = store.read(QStringLiteral("BackColor"), kDefaultBackColor).toUInt();
}

void ShowImage::WriteProperties(PropertyStore& store) const
{
    store.write(QStringLiteral("Picture"), m_picture, QImage());
    store.write(QStringLiteral("BorderStyle"), BorderStyle(), kDefaultBorderStyle);
    store.write(QStringLiteral("BackColor"), m_backColor, kDefaultBackColor);
}

QImage ShowImage::surfaceImage() const
{
    return m_surface->grab().toImage();
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
    m_surface->move(0, 0);
    m_surface->resize(m_surface->width(), height());
    m_surface->resize(width(), height());
    drawPicture();
    if (!m_picturePath.isEmpty()) {
        m_sharpenDelay.start();
    }
}
