#include "pagepdf/QpdfPageLibrary.h"

#include "pagepdf/FlateEncoding.h"
#include "pagepdf/JpegEncoding.h"
#include "pagepdf/PageBitmapReading.h"
#include "pagepdf/PageWriting.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <exception>
#include <optional>

namespace {

// The quality of a box whose caller never sets one.
constexpr int kLibraryDefaultQuality = 75;

} // namespace

struct QpdfPageLibrary::Box
{
    QString outputFile;
    QString productName;
    int pageWidth = 0;
    int pageHeight = 0;
    int quality = kLibraryDefaultQuality;
    int compression = PdfPageLibrary::JpegCompression;
    std::map<int, int> fixedSettings;
    bool begun = false;
    std::vector<PlacedImage> images;
};

QpdfPageLibrary::QpdfPageLibrary() = default;
QpdfPageLibrary::~QpdfPageLibrary() = default;

int QpdfPageLibrary::fail(const QString& message)
{
    m_lastError = message;
    return -1;
}

QpdfPageLibrary::Box* QpdfPageLibrary::findBox(int box)
{
    const auto found = m_boxes.find(box);
    if (found == m_boxes.end()) {
        fail(QStringLiteral("The PDF library has no open document numbered %1.").arg(box));
        return nullptr;
    }
    return found->second.get();
}

int QpdfPageLibrary::CreateBox(QWidget* /*owner*/, int /*reserved*/)
{
    const int box = m_nextBox++;
    m_boxes.emplace(box, std::make_unique<Box>());
    return box;
}

int QpdfPageLibrary::SetNumProp(int box, int id, int value)
{
    Box* b = findBox(box);
    if (b == nullptr) {
        return -1;
    }
    switch (id) {
    case PageWidth:
    case PageHeight: {
        const QString side = id == PageWidth ? QStringLiteral("width") : QStringLiteral("height");
        if (value < 1 || value > kViewerPageSideLimit) {
            return fail(QStringLiteral("The page %1 %2 is outside the range of 1 to %3 tenths of a millimetre.")
                            .arg(side)
                            .arg(value)
                            .arg(kViewerPageSideLimit));
        }
        (id == PageWidth ? b->pageWidth : b->pageHeight) = value;
        return 0;
    }
    case JpegQuality:
        if (value < 0 || value > 100) {
            return fail(QStringLiteral("The image quality %1 is outside the range of 0 to 100.").arg(value));
        }
        b->quality = value;
        return 0;
    case Compression:
        if (value != JpegCompression && value != Lossless) {
            return fail(QStringLiteral("The PDF library has no compression %1.").arg(value));
        }
        b->compression = value;
        return 0;
    case Setting31:
    case Setting44:
    case Setting51:
    case Setting52:
        b->fixedSettings[id] = value;
        return 0;
    case OutputFile:
    case ProductName:
        return fail(QStringLiteral("The PDF library's property %1 takes a text, not a number.").arg(id));
    default:
        return fail(QStringLiteral("The PDF library has no property %1.").arg(id));
    }
}

int QpdfPageLibrary::SetStrProp(int box, int id, const QString& text)
{
    Box* b = findBox(box);
    if (b == nullptr) {
        return -1;
    }
    switch (id) {
    case OutputFile:
        if (text.isEmpty()) {
            return fail(QStringLiteral("The name of the page file is empty."));
        }
        b->outputFile = text;
        return 0;
    case ProductName:
        b->productName = text;
        return 0;
    case PageWidth:
    case PageHeight:
    case JpegQuality:
    case Compression:
    case Setting31:
    case Setting44:
    case Setting51:
    case Setting52:
        return fail(QStringLiteral("The PDF library's property %1 takes a number, not a text.").arg(id));
    default:
        return fail(QStringLiteral("The PDF library has no property %1.").arg(id));
    }
}

int QpdfPageLibrary::BeginDoc(int box)
{
    Box* b = findBox(box);
    if (b == nullptr) {
        return -1;
    }
    if (b->begun) {
        return fail(QStringLiteral("The page document has already been begun."));
    }
    if (b->pageWidth == 0 || b->pageHeight == 0) {
        return fail(QStringLiteral("The page document cannot be begun before its width and height are set."));
    }
    b->begun = true;
    return 0;
}

int QpdfPageLibrary::StretchDrawFromFile(int box, int left, int top, int width, int height, const QString& imageFile)
{
    return StretchDrawFromFileInColours(box, left, top, width, height, imageFile, {});
}

int QpdfPageLibrary::StretchDrawFromFileInColours(int box, int left, int top, int width, int height,
                                                  const QString& imageFile, const QByteArray& iccProfile)
{
    Box* b = findBox(box);
    if (b == nullptr) {
        return -1;
    }
    try {
        return drawFromFile(*b, left, top, width, height, imageFile, iccProfile);
    } catch (const std::exception& e) {
        return fail(QCoreApplication::translate("QpdfPageLibrary", "The image \"%1\" cannot be drawn: %2.")
                        .arg(imageFile, QString::fromLocal8Bit(e.what())));
    }
}

int QpdfPageLibrary::checkDrawable(const Box& box, int width, int height, const QString& what)
{
    if (!box.begun) {
        return fail(
            QStringLiteral("The image \"%1\" cannot be drawn: the page document has not been begun.").arg(what));
    }
    if (width <= 0 || height <= 0) {
        return fail(QStringLiteral("The image \"%1\" cannot be drawn into a rectangle of %2 by %3.")
                        .arg(what)
                        .arg(width)
                        .arg(height));
    }
    return 0;
}

int QpdfPageLibrary::DrawJpegData(int box, int left, int top, int width, int height, const QByteArray& jpeg,
                                  const JpegFacts& facts)
{
    Box* b = findBox(box);
    const QString what = QStringLiteral("JPEG data");
    if (b == nullptr || checkDrawable(*b, width, height, what) != 0) {
        return -1;
    }
    if (jpeg.isEmpty() || facts.width <= 0 || facts.height <= 0 ||
        (facts.components != 1 && facts.components != 3 && facts.components != 4) || facts.orientation < 1 ||
        facts.orientation > 8) {
        return fail(QStringLiteral("The JPEG data cannot be drawn: its description is incomplete."));
    }
    PageImage image;
    // The bytes stay in the caller's copy, which the image holds on to.
    auto kept = std::make_shared<QByteArray>(jpeg);
    image.data = std::shared_ptr<const unsigned char>(kept, reinterpret_cast<const unsigned char*>(kept->constData()));
    image.size = std::size_t(kept->size());
    image.width = facts.width;
    image.height = facts.height;
    image.components = facts.components;
    image.inkInverted = facts.inkInverted;
    image.iccProfile = facts.iccProfile;
    image.orientation = facts.orientation;
    b->images.push_back(PlacedImage{std::move(image), left, top, width, height});
    return 0;
}

int QpdfPageLibrary::drawFromFile(Box& box, int left, int top, int width, int height, const QString& imageFile,
                                  const QByteArray& iccProfile)
{
    if (checkDrawable(box, width, height, imageFile) != 0) {
        return -1;
    }

    const QFileInfo info(imageFile);
    if (!info.exists()) {
        return fail(
            QCoreApplication::translate("QpdfPageLibrary", "The image file \"%1\" does not exist.").arg(imageFile));
    }
    if (info.isDir()) {
        return fail(
            QCoreApplication::translate("QpdfPageLibrary", "\"%1\" is a folder, not an image file.").arg(imageFile));
    }
    QFile file(imageFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QCoreApplication::translate("QpdfPageLibrary", "The image file \"%1\" cannot be opened: %2.")
                        .arg(imageFile, file.errorString()));
    }
    if (file.size() == 0) {
        return fail(QCoreApplication::translate("QpdfPageLibrary", "The image file \"%1\" is empty.").arg(imageFile));
    }

    QString why;
    const std::optional<PageBitmap> bitmap = readPageBitmap(file.handle(), &why);
    file.close();
    if (!bitmap) {
        return fail(QCoreApplication::translate("QpdfPageLibrary", "The image file \"%1\" is damaged: %2.")
                        .arg(imageFile, why));
    }

    std::optional<PageImage> image;
    if (box.compression == Lossless) {
        image = encodeFlate(bitmap->rows, &why);
    } else if (std::optional<JpegImage> jpeg = encodeJpeg(bitmap->rows, box.quality, &why)) {
        image.emplace();
        image->size = jpeg->size;
        image->width = jpeg->width;
        image->height = jpeg->height;
        image->components = jpeg->grey ? 1 : 3;
        image->data = std::shared_ptr<const unsigned char>(jpeg->data.release(), TurboJpegFree());
    }
    if (!image) {
        return fail(QCoreApplication::translate("QpdfPageLibrary", "The image \"%1\" cannot be compressed: %2.")
                        .arg(imageFile, why));
    }
    image->iccProfile = iccProfile;
    box.images.push_back(PlacedImage{std::move(*image), left, top, width, height});
    return 0;
}

int QpdfPageLibrary::EndDoc(int box)
{
    Box* b = findBox(box);
    if (b == nullptr) {
        return -1;
    }
    if (!b->begun) {
        return fail(QStringLiteral("The page document cannot be ended: it has not been begun."));
    }
    if (b->outputFile.isEmpty()) {
        return fail(QStringLiteral("The page document cannot be written: no page file has been named."));
    }
    PageContent page{b->pageWidth, b->pageHeight, b->productName, std::move(b->images)};
    QString error;
    const bool written = writePage(b->outputFile, page, &error);
    if (!written) {
        b->images = std::move(page.images); // kept for another try
        return fail(error);
    }
    b->begun = false;
    b->images.clear();
    return 0;
}

int QpdfPageLibrary::FreeBox(int box)
{
    if (m_boxes.erase(box) == 0) {
        return fail(QStringLiteral("The PDF library has no open document numbered %1.").arg(box));
    }
    return 0;
}

QString QpdfPageLibrary::GetErrorMsg() const
{
    return m_lastError;
}
