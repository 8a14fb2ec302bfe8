#pragma once

#include <QImage>
#include <QMap>
#include <QSizeF>
#include <QString>
#include <QTransform>

// Looks into a produced PDF with the real tools: qpdf for structure, poppler for information and pixels.
namespace PdfProbe {

struct ToolResult
{
    int exitCode = -1;
    QByteArray output; // standard output and error together
};

// Runs a program and waits for it (at most two minutes).
ToolResult run(const QString& program, const QStringList& arguments);

// `qpdf --check` passes.
[[nodiscard]] bool passesQpdfCheck(const QString& pdf, QString* report = nullptr);

// The document information as pdfinfo shows it (UTF-8): "Title", "Author", "Pages", ...
[[nodiscard]] QMap<QString, QString> info(const QString& pdf);

// The raw information dictionary entries as qpdf sees them (UTF-8 text), including CreationDate unparsed.
[[nodiscard]] QMap<QString, QString> rawInfo(const QString& pdf);

// The /ColorSpace of every image XObject in the file, as qpdf writes it ("/DeviceRGB", ...).
[[nodiscard]] QStringList imageColourSpaces(const QString& pdf);

// Page sizes in points, first page first.
[[nodiscard]] QList<QSizeF> pageSizes(const QString& pdf);

// The drawing matrices (cm) of the file's page contents in order, each as a QTransform(a, b, c, d, e, f): a picture
// drawn upright by "w 0 0 h x y cm" stands in the rectangle (x, y, w, h), in points from the bottom-left corner.
[[nodiscard]] QList<QTransform> drawingMatrices(const QString& pdf);

// The file's pictures as pdfimages gives them back, in order: each as it is stored (-all: a JPEG's own data stays a
// JPEG file) or decoded into a PNG file (-png).
[[nodiscard]] QList<QByteArray> extractedImages(const QString& pdf, bool asStored);

// One page rendered to an image at the given resolution (1-based page number).
[[nodiscard]] QImage renderPage(const QString& pdf, int page, int dpi);

// The page rendered at exactly this pixel size, for comparing with the source image pixel by pixel.
[[nodiscard]] QImage renderPageAt(const QString& pdf, int page, QSize size);

// The same drawn by MuPDF (mutool), a second reader of the page.
[[nodiscard]] QImage renderPageWithMupdf(const QString& pdf, int page, QSize size);

// The image as a page shows it: transparent parts on white paper.
[[nodiscard]] QImage onWhite(const QImage& image);

// Mean absolute difference per channel (0..255) between two images of the same size, both seen on white;
// -1 when the sizes differ.
[[nodiscard]] double meanDifference(const QImage& a, const QImage& b);

} // namespace PdfProbe
