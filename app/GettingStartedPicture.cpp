#include "app/GettingStartedPicture.h"

#include "app/ProgramArt.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {

QSvgRenderer& drawing()
{
    (void)programIcon(); // registers the program's resources
    static QSvgRenderer renderer(QStringLiteral(":/pictures/getting-started.svg"));
    return renderer;
}

} // namespace

QSize gettingStartedPictureSize()
{
    return drawing().defaultSize();
}

QImage gettingStartedPicture(QSize available, qreal devicePixelRatio)
{
    QSvgRenderer& renderer = drawing();
    const QSize own = renderer.defaultSize();
    QSize size = own.scaled(available, Qt::KeepAspectRatio);
    if (size.width() < own.width() / 4) {
        size = own / 4;
    }
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QString gettingStartedText()
{
    return QStringLiteral("1. Open an image, add a whole folder, or drop files right here. "
                          "2. Put the pages in order, give the title, subject and keywords and pick the quality. "
                          "3. Press Convert To PDF Now and choose where to save the document.");
}
