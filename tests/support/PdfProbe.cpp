#include "support/PdfProbe.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace PdfProbe {

ToolResult run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForStarted(30000) || !process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.output = process.readAll();
        return result;
    }
    result.output = process.readAll();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

bool passesQpdfCheck(const QString& pdf, QString* report)
{
    const ToolResult result = run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    if (report) {
        *report = QString::fromUtf8(result.output);
    }
    return result.exitCode == 0;
}

QMap<QString, QString> info(const QString& pdf)
{
    QMap<QString, QString> values;
    const ToolResult result = run(QStringLiteral("pdfinfo"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf});
    const QStringList lines = QString::fromUtf8(result.output).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0) {
            values.insert(line.left(colon), line.mid(colon + 1).trimmed());
        }
    }
    return values;
}

QMap<QString, QString> rawInfo(const QString& pdf)
{
    QMap<QString, QString> values;
    const ToolResult result = run(QStringLiteral("qpdf"), {QStringLiteral("--json"), QStringLiteral("--json-key=qpdf"),
                                                           QStringLiteral("--json-stream-data=none"), pdf});
    const QJsonObject root = QJsonDocument::fromJson(result.output).object();
    const QJsonArray qpdf = root.value(QStringLiteral("qpdf")).toArray();
    if (qpdf.size() < 2) {
        return values;
    }
    const QJsonObject objects = qpdf.at(1).toObject();
    const QString infoRef =
        qpdf.at(0).toObject().value(QStringLiteral("trailer")).toObject().value(QStringLiteral("/Info")).toString();
    QJsonObject trailer;
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        if (it.key() == QStringLiteral("trailer")) {
            trailer = it.value().toObject().value(QStringLiteral("value")).toObject();
        }
    }
    QString ref = trailer.value(QStringLiteral("/Info")).toString();
    if (ref.isEmpty()) {
        ref = infoRef;
    }
    const QJsonObject dict =
        objects.value(QStringLiteral("obj:") + ref).toObject().value(QStringLiteral("value")).toObject();
    for (auto it = dict.begin(); it != dict.end(); ++it) {
        QString text = it.value().toString();
        if (text.startsWith(QStringLiteral("u:"))) {
            text = text.mid(2);
        }
        values.insert(it.key().mid(1), text);
    }
    return values;
}

QStringList imageColourSpaces(const QString& pdf)
{
    const ToolResult result =
        run(QStringLiteral("qpdf"), {QStringLiteral("--json=2"), QStringLiteral("--json-key=qpdf"), pdf});
    const QJsonArray parts = QJsonDocument::fromJson(result.output).object().value(QStringLiteral("qpdf")).toArray();
    QStringList spaces;
    const QJsonObject objects = parts.size() > 1 ? parts.at(1).toObject() : QJsonObject();
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const QJsonObject dict =
            it.value().toObject().value(QStringLiteral("stream")).toObject().value(QStringLiteral("dict")).toObject();
        if (dict.value(QStringLiteral("/Subtype")).toString() == QStringLiteral("/Image")) {
            // A family with its parameters, [/ICCBased 5 0 R], goes by the family's name.
            const QJsonValue space = dict.value(QStringLiteral("/ColorSpace"));
            spaces << (space.isArray() ? space.toArray().at(0).toString() : space.toString());
        }
    }
    return spaces;
}

QList<QSizeF> pageSizes(const QString& pdf)
{
    QList<QSizeF> sizes;
    const int pages = info(pdf).value(QStringLiteral("Pages")).toInt();
    if (pages <= 0) {
        return sizes;
    }
    const ToolResult result = run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                              QStringLiteral("-l"), QString::number(pages), pdf});
    const QStringList lines = QString::fromUtf8(result.output).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        // "Page    1 size: 603.21 x 452.41 pts"
        if (!line.startsWith(QStringLiteral("Page")) || !line.contains(QStringLiteral(" size:"))) {
            continue;
        }
        const QStringList words =
            line.mid(line.indexOf(QStringLiteral("size:")) + 5).simplified().split(QLatin1Char(' '));
        if (words.size() >= 3) {
            sizes.append(QSizeF(words.at(0).toDouble(), words.at(2).toDouble()));
        }
    }
    return sizes;
}

QList<QTransform> drawingMatrices(const QString& pdf)
{
    // qpdf's QDF form writes every content stream uncompressed, one operator to a line as the page library wrote it.
    const ToolResult result =
        run(QStringLiteral("qpdf"),
            {QStringLiteral("--qdf"), QStringLiteral("--object-streams=disable"), pdf, QStringLiteral("-")});
    static const QRegularExpression matrix(
        QStringLiteral(R"((-?[\d.]+) (-?[\d.]+) (-?[\d.]+) (-?[\d.]+) (-?[\d.]+) (-?[\d.]+) cm)"));
    QList<QTransform> matrices;
    for (auto found = matrix.globalMatch(QString::fromLatin1(result.output)); found.hasNext();) {
        const QRegularExpressionMatch m = found.next();
        matrices.append(QTransform(m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                                   m.captured(4).toDouble(), m.captured(5).toDouble(), m.captured(6).toDouble()));
    }
    return matrices;
}

QList<QByteArray> extractedImages(const QString& pdf, bool asStored)
{
    QTemporaryDir folder;
    QList<QByteArray> images;
    if (!folder.isValid() ||
        run(QStringLiteral("pdfimages"),
            {asStored ? QStringLiteral("-all") : QStringLiteral("-png"), pdf, folder.filePath(QStringLiteral("image"))})
                .exitCode != 0) {
        return images;
    }
    const QDir made(folder.path());
    for (const QString& name : made.entryList(QDir::Files, QDir::Name)) {
        QFile file(made.filePath(name));
        if (file.open(QIODevice::ReadOnly)) {
            images.append(file.readAll());
        }
    }
    return images;
}

QImage renderPage(const QString& pdf, int page, int dpi)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
         QString::number(page), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QImage renderPageWithMupdf(const QString& pdf, int page, QSize size)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.png"));
    run(QStringLiteral("mutool"),
        {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-w"), QString::number(size.width()),
         QStringLiteral("-h"), QString::number(size.height()), QStringLiteral("-o"), file, pdf, QString::number(page)});
    const QImage drawn = QImage(file).convertToFormat(QImage::Format_RGB32);
    // MuPDF keeps the page's proportions within the box it is given: a pixel short on one side at most.
    return drawn.isNull() ? drawn : drawn.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage renderPageAt(const QString& pdf, int page, QSize size)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-scale-to-x"), QString::number(size.width()), QStringLiteral("-scale-to-y"),
         QString::number(size.height()), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
         QString::number(page), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

QImage onWhite(const QImage& image)
{
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    return flat;
}

double meanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull()) {
        return -1;
    }
    const QImage x = onWhite(a);
    const QImage y = onWhite(b);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
                   std::abs(qBlue(p[col]) - qBlue(q[col]));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

} // namespace PdfProbe
