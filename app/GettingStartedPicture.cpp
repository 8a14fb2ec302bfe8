#include "app/GettingStartedPicture.h"

#include "app/ProgramArt.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>

namespace {

// The picture's texts, line by line as the drawing places them: a translation keeps a step's lines as many and as
// short as the English ones (about 20 characters), so that they fit their box.
const char* const kPictureTexts[] = {
    QT_TRANSLATE_NOOP("GettingStartedPicture", "From images to one PDF in three steps"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "Add images"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "Open an image, add"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "a whole folder, or"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "drop files right here."),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "Describe it"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "Put the pages in"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "order, give the title,"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "subject and keywords"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "and pick the quality."),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "Convert"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "Press Convert To"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "PDF Now and choose"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "where to save the"),
    QT_TRANSLATE_NOOP("GettingStartedPicture", "document."),
};

// The drawing with its texts in the user's language.
QByteArray translatedDrawing()
{
    (void)programIcon(); // registers the program's resources
    QFile file(QStringLiteral(":/pictures/getting-started.svg"));
    QByteArray svg = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    for (const char* text : kPictureTexts) {
        const QString translated = QCoreApplication::translate("GettingStartedPicture", text);
        svg.replace(QByteArray(">") + text + "</text>", ">" + translated.toHtmlEscaped().toUtf8() + "</text>");
    }
    return svg;
}

QSvgRenderer& drawing()
{
    // Made again only when the language changed.
    static QByteArray drawn;
    static std::unique_ptr<QSvgRenderer> renderer;
    const QByteArray svg = translatedDrawing();
    if (!renderer || svg != drawn) {
        renderer = std::make_unique<QSvgRenderer>(svg);
        drawn = svg;
    }
    return *renderer;
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
    return QCoreApplication::translate("GettingStartedPicture",
                                       "1. Open an image, add a whole folder, or drop files right here. "
                                       "2. Put the pages in order, give the title, subject and keywords and pick the "
                                       "quality. 3. Press Convert To PDF Now and choose where to save the document.");
}
