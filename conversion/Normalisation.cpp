#include "conversion/Normalisation.h"

#include "pagepdf/FreeImageBitmap.h"

#include <FreeImage.h>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Bitmap = FreeImageBitmap;

struct ExtensionFormat
{
    const char* extension;
    FREE_IMAGE_FORMAT format;
};

constexpr std::array<ExtensionFormat, 12> extensionTable{{
    {"bmp", FIF_BMP},
    {"dib", FIF_BMP},
    {"jpg", FIF_JPEG},
    {"jpeg", FIF_JPEG},
    {"gif", FIF_GIF},
    {"png", FIF_PNG},
    {"ico", FIF_ICO},
    {"tif", FIF_TIFF},
    {"tiff", FIF_TIFF},
    {"iff", FIF_IFF},
    {"pcx", FIF_PCX},
    {"psd", FIF_PSD},
}};

bool fail(QString* error, const QString& message)
{
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

// The table's format when the content agrees with it; otherwise what FreeImage finds in the content, and
// failing that what it makes of the name.
FREE_IMAGE_FORMAT chooseFormat(const QString& imagePath, const QByteArray& name)
{
    const auto byExtension = FREE_IMAGE_FORMAT(formatForExtension(imagePath));
    if (byExtension != FIF_UNKNOWN && FreeImage_Validate(byExtension, name.constData())) {
        return byExtension;
    }
    const FREE_IMAGE_FORMAT byContent = FreeImage_GetFileType(name.constData(), 0);
    if (byContent != FIF_UNKNOWN) {
        return byContent;
    }
    if (byExtension != FIF_UNKNOWN) {
        return byExtension;
    }
    return FreeImage_GetFIFFromFilename(name.constData());
}

// Float samples are taken as 0 for black to 1 for white, as the programs that write them mean it; anything
// outside is clipped. (Tone mapping or stretching to the darkest and lightest pixel would change the picture.)
// BMP holds 1, 4, 8, 16, 24 and 32 bits per pixel; everything else comes down to that first. A palette with a
// transparent entry becomes 32-bit so that the transparency survives (BMP palettes carry none).
Bitmap toBmpWritable(Bitmap bitmap)
{
    FIBITMAP* source = bitmap.get();
    switch (FreeImage_GetImageType(source)) {
    case FIT_BITMAP: {
        const unsigned bpp = FreeImage_GetBPP(source);
        if (bpp <= 8 && FreeImage_IsTransparent(source)) {
            return Bitmap(FreeImage_ConvertTo32Bits(source));
        }
        if (FreeImage_FIFSupportsExportBPP(FIF_BMP, int(bpp))) {
            return bitmap;
        }
        return Bitmap(FreeImage_ConvertTo24Bits(source));
    }
    default:
        return toEightBitsPerChannel(std::move(bitmap));
    }
}

// What a JPEG file's headers say about its colours: the number of components and whether it carries Adobe's
// marker. Read from the markers before the first scan; a file too broken to say gives zeros.
struct JpegFacts
{
    int components = 0;
    bool adobeMarker = false;
};

JpegFacts readJpegFacts(const QByteArray& path)
{
    JpegFacts facts;
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return facts;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return facts;
    }
    if (file.read(2) != QByteArray("\xff\xd8", 2)) {
        return facts;
    }
    for (;;) {
        char c = 0;
        do {
            if (!file.getChar(&c)) {
                return facts;
            }
        } while (uchar(c) != 0xff);
        do {
            if (!file.getChar(&c)) {
                return facts;
            }
        } while (uchar(c) == 0xff);
        const auto marker = uchar(c);
        if (marker == 0xda || marker == 0xd9) { // start of scan, end of image
            return facts;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) { // markers without a length
            continue;
        }
        const QByteArray lengthBytes = file.read(2);
        if (lengthBytes.size() != 2) {
            return facts;
        }
        const int length = uchar(lengthBytes[0]) << 8 | uchar(lengthBytes[1]);
        if (length < 2) {
            return facts;
        }
        const QByteArray body = file.read(length - 2);
        if (body.size() != length - 2) {
            return facts;
        }
        if (marker == 0xee && body.startsWith("Adobe")) {
            facts.adobeMarker = true;
        }
        const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frame && body.size() >= 6) {
            facts.components = uchar(body[5]);
        }
    }
}

// FreeImage takes every CMYK JPEG for Adobe's kind, which stores 255 - ink, and with JPEG_CMYK hands over
// 255 - stored. That is the ink for Adobe's files and 255 - ink for plain ones, which store the ink itself.
// Without a colour profile each channel shows as (1 - ink) * (1 - black).
Bitmap cmykToRgb(FIBITMAP* cmyk, bool adobeMarker)
{
    const unsigned width = FreeImage_GetWidth(cmyk);
    const unsigned height = FreeImage_GetHeight(cmyk);
    Bitmap rgb(FreeImage_Allocate(int(width), int(height), 24));
    if (!rgb || FreeImage_GetBPP(cmyk) != 32) {
        return nullptr;
    }
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* in = FreeImage_GetScanLine(cmyk, int(y));
        BYTE* out = FreeImage_GetScanLine(rgb.get(), int(y));
        for (unsigned x = 0; x < width; ++x, in += 4, out += 3) {
            const auto paper = [&](int i) { return adobeMarker ? 255 - in[i] : int(in[i]); }; // 255 - ink
            const int black = paper(3);
            out[FI_RGBA_RED] = BYTE((paper(0) * black + 127) / 255);
            out[FI_RGBA_GREEN] = BYTE((paper(1) * black + 127) / 255);
            out[FI_RGBA_BLUE] = BYTE((paper(2) * black + 127) / 255);
        }
    }
    return rgb;
}

// Collects what FreeImage's plugins report while one file is read. libjpeg reports missing or broken data only
// as a warning and fills the rest of the picture with grey; such a file must not pass for a good page.
class LoadMessages
{
public:
    LoadMessages()
    {
        s_current = this;
        FreeImage_SetOutputMessage(&LoadMessages::collect);
    }
    ~LoadMessages() { s_current = nullptr; }
    LoadMessages(const LoadMessages&) = delete;
    LoadMessages& operator=(const LoadMessages&) = delete;

    [[nodiscard]] const QStringList& messages() const { return m_messages; }

    // The first message that says pixels are missing or wrong. Only JPEG decodes on after such damage; the
    // other plugins fail the load instead.
    [[nodiscard]] QString damage(FREE_IMAGE_FORMAT format) const
    {
        if (format != FIF_JPEG) {
            return {};
        }
        for (const QString& message : m_messages) {
            const bool harmless = message.contains(QLatin1String("extraneous bytes"));
            if (!harmless && (message.contains(QLatin1String("Premature end"), Qt::CaseInsensitive) ||
                              message.contains(QLatin1String("Corrupt JPEG data")) ||
                              message.contains(QLatin1String("Invalid SOS parameters")) ||
                              message.contains(QLatin1String("Inconsistent progression")))) {
                return message;
            }
        }
        return {};
    }

private:
    static void DLL_CALLCONV collect(FREE_IMAGE_FORMAT /*format*/, const char* message)
    {
        if (s_current != nullptr && message != nullptr) {
            s_current->m_messages.append(QString::fromLocal8Bit(message).trimmed());
        }
    }

    static thread_local LoadMessages* s_current;
    QStringList m_messages;
};

thread_local LoadMessages* LoadMessages::s_current = nullptr;

} // namespace

int formatForExtension(const QString& imagePath)
{
    const QString fileName = QFileInfo(imagePath).fileName();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        return FIF_UNKNOWN;
    }
    const QString extension = fileName.mid(dot + 1).toLower();
    for (const ExtensionFormat& row : extensionTable) {
        if (extension == QLatin1String(row.extension)) {
            return row.format;
        }
    }
    return FIF_UNKNOWN;
}

std::optional<NormalisedImage> normaliseImage(const ImageFile& image, const QString& bmpPath, QString* error)
{
    const QString& imagePath = image.shown;
    const QByteArray& name = image.native;
    const QFileInfo previous(bmpPath);
    if ((previous.exists() || previous.isSymLink()) && !QFile::remove(bmpPath)) {
        fail(error, QStringLiteral("The previous normalised image \"%1\" cannot be removed.").arg(bmpPath));
        return std::nullopt;
    }

    struct stat info = {};
    if (::lstat(name.constData(), &info) != 0) {
        fail(error, QStringLiteral("\"%1\" cannot be opened: it is not there any more (moved, renamed or deleted "
                                   "after it was added to the list).")
                        .arg(imagePath));
        return std::nullopt;
    }
    if (::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        fail(error, QStringLiteral("\"%1\" is a folder, not an image.").arg(imagePath));
        return std::nullopt;
    }
    {
        const int probe = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (probe < 0) {
            fail(error, QStringLiteral("\"%1\" cannot be opened: %2.")
                            .arg(imagePath, QString::fromLocal8Bit(std::strerror(errno))));
            return std::nullopt;
        }
        const bool empty = ::fstat(probe, &info) == 0 && info.st_size == 0;
        ::close(probe);
        if (empty) {
            fail(error, QStringLiteral("\"%1\" is empty.").arg(imagePath));
            return std::nullopt;
        }
    }

    const QString unreadable = QStringLiteral("\"%1\" is not an image this program can read.").arg(imagePath);
    const FREE_IMAGE_FORMAT format = chooseFormat(imagePath, name);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) {
        fail(error, unreadable);
        return std::nullopt;
    }
    const auto damaged = [&](const QString& detail) {
        QString text = QStringLiteral("\"%1\" is not an image this program can read: its %2 data is damaged or "
                                      "incomplete")
                           .arg(imagePath, QString::fromLatin1(FreeImage_GetFormatFromFIF(format)));
        if (!detail.isEmpty()) {
            text += QStringLiteral(" (%1)").arg(detail);
        }
        fail(error, text + QLatin1Char('.'));
    };

    int flags = 0;
    JpegFacts jpeg;
    if (format == FIF_JPEG) {
        // Photos are stored as the camera held them; the orientation tag says how to show them.
        flags |= JPEG_EXIFROTATE;
        jpeg = readJpegFacts(name);
        if (jpeg.components == 4) {
            flags |= JPEG_CMYK;
        }
    }
    Bitmap bitmap;
    {
        LoadMessages messages;
        bitmap.reset(FreeImage_Load(format, name.constData(), flags));
        if (!bitmap) {
            // The content was recognised, so the file is an image of that kind that cannot be decoded.
            if (FreeImage_GetFileType(name.constData(), 0) == format) {
                damaged(messages.messages().value(messages.messages().size() - 1));
            } else {
                fail(error, unreadable);
            }
            return std::nullopt;
        }
        if (const QString damage = messages.damage(format); !damage.isEmpty()) {
            damaged(damage);
            return std::nullopt;
        }
    }
    if ((flags & JPEG_CMYK) != 0 && FreeImage_GetBPP(bitmap.get()) == 32) {
        bitmap = cmykToRgb(bitmap.get(), jpeg.adobeMarker);
    } else {
        bitmap = toBmpWritable(std::move(bitmap));
    }
    if (!bitmap) {
        fail(error, QStringLiteral("The pixels of \"%1\" cannot be converted to a BMP image.").arg(imagePath));
        return std::nullopt;
    }

    if (!FreeImage_Save(FIF_BMP, bitmap.get(), QFile::encodeName(bmpPath).constData(), BMP_DEFAULT)) {
        QFile::remove(bmpPath);
        fail(error, QStringLiteral("The image \"%1\" cannot be written as \"%2\".").arg(imagePath, bmpPath));
        return std::nullopt;
    }
    return NormalisedImage{int(FreeImage_GetWidth(bitmap.get())), int(FreeImage_GetHeight(bitmap.get()))};
}
