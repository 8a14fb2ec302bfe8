#include "platform/QpdfPageLibrary.h"

#include "platform/FreeImageBitmap.h"

#include <FreeImage.h>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bitmap = FreeImageBitmap;

struct TurboDeleter
{
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TurboHandle = std::unique_ptr<void, TurboDeleter>;

struct JpegDeleter
{
    void operator()(unsigned char* data) const { tjFree(data); }
};
using JpegData = std::unique_ptr<unsigned char, JpegDeleter>;

#if FREEIMAGE_COLORORDER == FREEIMAGE_COLORORDER_BGR
constexpr int pixelFormat24 = TJPF_BGR;
constexpr int pixelFormat32 = TJPF_BGRX;
#else
constexpr int pixelFormat24 = TJPF_RGB;
constexpr int pixelFormat32 = TJPF_RGBX;
#endif

constexpr int defaultQuality = 75;

// One length unit is 0.1 mm.
double toPoints(double units)
{
    return units * 72.0 / 254.0;
}

std::string number(double value)
{
    return QUtil::double_to_string(value, 4);
}

// A picture ready for the JPEG encoder: 8-bit grey, 24-bit colour or 32-bit colour whose alpha is spent.
struct EncodableBitmap
{
    Bitmap bitmap;
    int pixelFormat = TJPF_GRAY;
};

// A JPEG image placed on the page, with its rectangle in units from the top-left corner.
struct PlacedImage
{
    JpegData jpeg;
    unsigned long jpegSize = 0;
    int widthPx = 0;
    int heightPx = 0;
    bool grey = false;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

bool paletteIsGrey(FIBITMAP* bitmap)
{
    const RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    if (palette == nullptr) {
        return false;
    }
    const unsigned count = FreeImage_GetColorsUsed(bitmap);
    for (unsigned i = 0; i < count; ++i) {
        if (palette[i].rgbRed != palette[i].rgbGreen || palette[i].rgbGreen != palette[i].rgbBlue) {
            return false;
        }
    }
    return true;
}

// Blends every pixel onto white by its alpha, in place. An alpha channel that is zero everywhere is unused
// padding (as in many 32-bit BMP files), not a wholly transparent picture, so it is left alone.
void compositeOnWhite(FIBITMAP* bitmap)
{
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    bool alphaUsed = false;
    for (unsigned y = 0; y < height && !alphaUsed; ++y) {
        const BYTE* pixel = FreeImage_GetScanLine(bitmap, int(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            if (pixel[FI_RGBA_ALPHA] != 0) {
                alphaUsed = true;
                break;
            }
        }
    }
    if (!alphaUsed) {
        return;
    }
    for (unsigned y = 0; y < height; ++y) {
        BYTE* pixel = FreeImage_GetScanLine(bitmap, int(y));
        for (unsigned x = 0; x < width; ++x, pixel += 4) {
            const unsigned alpha = pixel[FI_RGBA_ALPHA];
            if (alpha == 255) {
                continue;
            }
            const unsigned white = 255 * (255 - alpha);
            pixel[FI_RGBA_RED] = BYTE((pixel[FI_RGBA_RED] * alpha + white + 127) / 255);
            pixel[FI_RGBA_GREEN] = BYTE((pixel[FI_RGBA_GREEN] * alpha + white + 127) / 255);
            pixel[FI_RGBA_BLUE] = BYTE((pixel[FI_RGBA_BLUE] * alpha + white + 127) / 255);
            pixel[FI_RGBA_ALPHA] = 255;
        }
    }
}

// Converts only when the encoder cannot take the bitmap as it is, and frees each intermediate at once,
// so that at most two copies of a large picture exist for a moment.
std::optional<EncodableBitmap> makeEncodable(Bitmap bitmap)
{
    bitmap = toEightBitsPerChannel(std::move(bitmap));
    if (!bitmap) {
        return std::nullopt;
    }
    const unsigned bpp = FreeImage_GetBPP(bitmap.get());
    if (bpp <= 8) {
        if (FreeImage_IsTransparent(bitmap.get())) {
            bitmap.reset(FreeImage_ConvertTo32Bits(bitmap.get()));
        } else if (bpp == 8 && FreeImage_GetColorType(bitmap.get()) == FIC_MINISBLACK) {
            return EncodableBitmap{std::move(bitmap), TJPF_GRAY};
        } else if (paletteIsGrey(bitmap.get())) {
            bitmap.reset(FreeImage_ConvertToGreyscale(bitmap.get()));
            if (!bitmap) {
                return std::nullopt;
            }
            return EncodableBitmap{std::move(bitmap), TJPF_GRAY};
        } else {
            bitmap.reset(FreeImage_ConvertTo24Bits(bitmap.get()));
        }
    } else if (bpp != 24 && bpp != 32) {
        bitmap.reset(FreeImage_ConvertTo24Bits(bitmap.get()));
    }
    if (!bitmap) {
        return std::nullopt;
    }
    if (FreeImage_GetBPP(bitmap.get()) == 32) {
        if (FreeImage_IsTransparent(bitmap.get())) {
            compositeOnWhite(bitmap.get());
        }
        return EncodableBitmap{std::move(bitmap), pixelFormat32};
    }
    return EncodableBitmap{std::move(bitmap), pixelFormat24};
}

// Feeds qpdf's writer into a file through its descriptor, in large pieces. A failed write keeps its errno: a
// buffered QFile reports a full disk as "Unknown error.".
class FilePipeline final : public Pipeline
{
public:
    explicit FilePipeline(int fd) : Pipeline("page file", nullptr), m_fd(fd) {}

    void write(unsigned char const* data, size_t length) override
    {
        m_buffer.insert(m_buffer.end(), data, data + length);
        if (m_buffer.size() >= bufferSize) {
            flushBuffer();
        }
    }
    void finish() override { flushBuffer(); }
    [[nodiscard]] int error() const { return m_error; }

private:
    static constexpr std::size_t bufferSize = 256 * 1024;

    void flushBuffer()
    {
        std::size_t done = 0;
        while (done < m_buffer.size()) {
            const ssize_t written = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                m_error = written < 0 ? errno : ENOSPC;
                m_buffer.clear();
                throw std::runtime_error(std::strerror(m_error));
            }
            done += std::size_t(written);
        }
        m_buffer.clear();
    }

    int m_fd;
    std::vector<unsigned char> m_buffer;
    int m_error = 0;
};

// Why a page file could not be written, in plain words; a full disk names the folder.
QString pageWriteFailure(const QString& pageFile, int cause)
{
    if (cause == ENOSPC || cause == EDQUOT) {
        return QStringLiteral("The page file \"%1\" cannot be written: the temporary folder \"%2\" is full (no space "
                              "left on the disk).")
            .arg(pageFile, QFileInfo(pageFile).absolutePath());
    }
    return QStringLiteral("The page file \"%1\" cannot be written: %2.")
        .arg(pageFile, QString::fromLocal8Bit(std::strerror(cause)));
}

std::uint32_t readLittle32(const uchar* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t readLittle16(const uchar* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

// An uncompressed 24-bit bottom-up BMP file (what the normalisation writes for every colour photo) mapped into
// memory: its rows are laid out exactly as FreeImage would hold them, so the encoder reads them straight from the
// file cache instead of from a decoded copy.
struct MappedBmp
{
    const uchar* rows = nullptr; // the bottom row first
    int width = 0;
    int height = 0;
    int pitch = 0;
};

std::optional<MappedBmp> mapPlainBmp(QFile& file)
{
    constexpr qint64 fileHeaderSize = 14;
    constexpr qint64 infoHeaderSize = 40;
    uchar header[fileHeaderSize + infoHeaderSize];
    if (file.read(reinterpret_cast<char*>(header), sizeof header) != qint64(sizeof header) || header[0] != 'B' ||
        header[1] != 'M') {
        return std::nullopt;
    }
    const std::uint32_t dataOffset = readLittle32(header + 10);
    const std::uint32_t dibSize = readLittle32(header + 14);
    const auto width = std::int32_t(readLittle32(header + 18));
    const auto height = std::int32_t(readLittle32(header + 22));
    const std::uint16_t planes = readLittle16(header + 26);
    const std::uint16_t bitCount = readLittle16(header + 28);
    const std::uint32_t compression = readLittle32(header + 30);
    // Top-down rows (negative height), palettes, bit fields and alpha take FreeImage's way.
    if ((dibSize != 40 && dibSize != 108 && dibSize != 124) || width <= 0 || height <= 0 || planes != 1 ||
        bitCount != 24 || compression != 0 || width > (1 << 16) || height > (1 << 16)) {
        return std::nullopt;
    }
    const qint64 pitch = (qint64(width) * 3 + 3) / 4 * 4;
    if (dataOffset < fileHeaderSize + dibSize || qint64(dataOffset) + pitch * height > file.size()) {
        return std::nullopt;
    }
    const uchar* rows = file.map(dataOffset, pitch * height);
    if (rows == nullptr) {
        return std::nullopt;
    }
    return MappedBmp{rows, width, height, int(pitch)};
}

} // namespace

struct QpdfPageLibrary::Box
{
    QString outputFile;
    QString productName;
    int pageWidth = 0;
    int pageHeight = 0;
    int quality = defaultQuality;
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
        if (value < 1 || value > maxPageUnits) {
            return fail(QStringLiteral("The page %1 %2 is outside the range of 1 to %3 tenths of a millimetre.")
                            .arg(side)
                            .arg(value)
                            .arg(maxPageUnits));
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
    Box* b = findBox(box);
    if (b == nullptr) {
        return -1;
    }
    try {
        return drawFromFile(*b, left, top, width, height, imageFile);
    } catch (const std::exception& e) {
        return fail(
            QStringLiteral("The image \"%1\" cannot be drawn: %2.").arg(imageFile, QString::fromLocal8Bit(e.what())));
    }
}

int QpdfPageLibrary::drawFromFile(Box& box, int left, int top, int width, int height, const QString& imageFile)
{
    if (!box.begun) {
        return fail(
            QStringLiteral("The image \"%1\" cannot be drawn: the page document has not been begun.").arg(imageFile));
    }
    if (width <= 0 || height <= 0) {
        return fail(QStringLiteral("The image \"%1\" cannot be drawn into a rectangle of %2 by %3.")
                        .arg(imageFile)
                        .arg(width)
                        .arg(height));
    }

    const QFileInfo info(imageFile);
    if (!info.exists()) {
        return fail(QStringLiteral("The image file \"%1\" does not exist.").arg(imageFile));
    }
    if (info.isDir()) {
        return fail(QStringLiteral("\"%1\" is a folder, not an image file.").arg(imageFile));
    }
    QFile file(imageFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("The image file \"%1\" cannot be opened: %2.").arg(imageFile, file.errorString()));
    }
    if (file.size() == 0) {
        return fail(QStringLiteral("The image file \"%1\" is empty.").arg(imageFile));
    }

    // The pixels to encode: straight from the mapped file when it is a plain BMP, otherwise as FreeImage reads them.
    const uchar* pixels = nullptr;
    int widthPx = 0;
    int heightPx = 0;
    int pitch = 0;
    int pixelFormat = TJPF_BGR;
    std::optional<EncodableBitmap> encodable;
    if (const std::optional<MappedBmp> mapped = mapPlainBmp(file)) {
        pixels = mapped->rows;
        widthPx = mapped->width;
        heightPx = mapped->height;
        pitch = mapped->pitch;
    } else {
        file.close();
        const QByteArray name = QFile::encodeName(imageFile);
        FREE_IMAGE_FORMAT format = FreeImage_GetFileType(name.constData(), 0);
        if (format == FIF_UNKNOWN) {
            format = FreeImage_GetFIFFromFilename(name.constData());
        }
        Bitmap bitmap;
        if (format != FIF_UNKNOWN && FreeImage_FIFSupportsReading(format)) {
            bitmap.reset(FreeImage_Load(format, name.constData(), 0));
        }
        if (!bitmap) {
            return fail(QStringLiteral("The image file \"%1\" cannot be read as an image.").arg(imageFile));
        }
        encodable = makeEncodable(std::move(bitmap));
        if (!encodable) {
            return fail(
                QStringLiteral("The pixels of the image file \"%1\" cannot be converted for the page.").arg(imageFile));
        }
        FIBITMAP* source = encodable->bitmap.get();
        pixels = FreeImage_GetBits(source);
        widthPx = int(FreeImage_GetWidth(source));
        heightPx = int(FreeImage_GetHeight(source));
        pitch = int(FreeImage_GetPitch(source));
        pixelFormat = encodable->pixelFormat;
    }

    const bool grey = pixelFormat == TJPF_GRAY;
    const int quality = std::max(1, box.quality);
    const int subsampling = grey ? TJSAMP_GRAY : (quality >= 90 ? TJSAMP_444 : TJSAMP_420);

    TurboHandle encoder(tjInitCompress());
    if (!encoder) {
        return fail(QStringLiteral("The image \"%1\" cannot be compressed: %2.")
                        .arg(imageFile, QString::fromLocal8Bit(tjGetErrorStr2(nullptr))));
    }
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    // Both BMP files and FreeImage keep rows bottom-up with a padded pitch; TurboJPEG reads them in place.
    const int status = tjCompress2(encoder.get(), pixels, widthPx, pitch, heightPx, pixelFormat, &jpeg, &jpegSize,
                                   subsampling, quality, TJFLAG_BOTTOMUP);
    JpegData jpegData(jpeg);
    if (status != 0) {
        return fail(QStringLiteral("The image \"%1\" cannot be compressed: %2.")
                        .arg(imageFile, QString::fromLocal8Bit(tjGetErrorStr2(encoder.get()))));
    }
    encodable.reset();
    file.close();

    PlacedImage placed;
    placed.jpeg = std::move(jpegData);
    placed.jpegSize = jpegSize;
    placed.widthPx = widthPx;
    placed.heightPx = heightPx;
    placed.grey = grey;
    placed.left = left;
    placed.top = top;
    placed.width = width;
    placed.height = height;
    box.images.push_back(std::move(placed));
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
    const int result = writeDocument(*b);
    if (result == 0) {
        b->begun = false;
        b->images.clear();
    }
    return result;
}

int QpdfPageLibrary::writeDocument(Box& box)
{
    try {
        QPDF pdf;
        pdf.emptyPDF();
        pdf.setSuppressWarnings(true);

        const double pageWidth = toPoints(box.pageWidth);
        const double pageHeight = toPoints(box.pageHeight);
        QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
        std::string content;
        for (std::size_t i = 0; i < box.images.size(); ++i) {
            const PlacedImage& image = box.images[i];
            QPDFObjectHandle stream = pdf.newStream();
            QPDFObjectHandle dict = stream.getDict();
            dict.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
            dict.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
            dict.replaceKey("/Width", QPDFObjectHandle::newInteger(image.widthPx));
            dict.replaceKey("/Height", QPDFObjectHandle::newInteger(image.heightPx));
            dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName(image.grey ? "/DeviceGray" : "/DeviceRGB"));
            dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
            // The JPEG data stays in TurboJPEG's buffer; qpdf reads it from there when writing.
            stream.replaceStreamData(std::make_shared<Buffer>(image.jpeg.get(), std::size_t(image.jpegSize)),
                                     QPDFObjectHandle::newName("/DCTDecode"), QPDFObjectHandle::newNull());
            const std::string resource = "/Im" + std::to_string(i);
            xobjects.replaceKey(resource, stream);
            // Rectangles are given from the top-left corner; PDF's y axis goes up from the bottom.
            content += "q " + number(toPoints(image.width)) + " 0 0 " + number(toPoints(image.height)) + " " +
                       number(toPoints(image.left)) + " " +
                       number(toPoints(double(box.pageHeight) - image.top - image.height)) + " cm " + resource +
                       " Do Q\n";
        }

        QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", xobjects);
        QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        page.replaceKey("/MediaBox",
                        QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, pageWidth, pageHeight)));
        page.replaceKey("/Resources", resources);
        page.replaceKey("/Contents", pdf.newStream(content));
        pdf.addPage(page, true);

        if (!box.productName.isEmpty()) {
            QPDFObjectHandle documentInfo = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            const std::string product = box.productName.toStdString();
            documentInfo.replaceKey("/Producer", QPDFObjectHandle::newUnicodeString(product));
            documentInfo.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(product));
            pdf.getTrailer().replaceKey("/Info", documentInfo);
        }

        // A temporary file beside the page file, renamed over it when complete, so that a half-written page is
        // never seen under its name. Pages are scratch files of one run, so they are not forced to the disk.
        QTemporaryFile file(box.outputFile + QStringLiteral(".XXXXXX"));
        if (!file.open()) {
            return fail(
                QStringLiteral("The page file \"%1\" cannot be written: %2.").arg(box.outputFile, file.errorString()));
        }
        FilePipeline output(file.handle());
        try {
            QPDFWriter writer(pdf);
            writer.setOutputPipeline(&output);
            writer.write();
        } catch (const std::exception&) {
            if (output.error() != 0) {
                return fail(pageWriteFailure(box.outputFile, output.error()));
            }
            throw;
        }
        // A temporary file is private to its owner; the page gets the access of an ordinary new file.
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                            QFileDevice::ReadOther);
        if (std::rename(QFile::encodeName(file.fileName()).constData(),
                        QFile::encodeName(box.outputFile).constData()) != 0) {
            const int cause = errno;
            return fail(QStringLiteral("The page file \"%1\" cannot be written: %2.")
                            .arg(box.outputFile, QString::fromLocal8Bit(std::strerror(cause))));
        }
        file.setAutoRemove(false);
        return 0;
    } catch (const std::exception& e) {
        return fail(QStringLiteral("The page file \"%1\" cannot be written: %2.")
                        .arg(box.outputFile, QString::fromStdString(e.what())));
    }
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
