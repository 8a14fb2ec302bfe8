#include "conversion/Normalisation.h"

#include <FreeImage.h>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <memory>
#include <utility>

namespace {

struct BitmapDeleter
{
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

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
    case FIT_UINT16: {
        Bitmap grey(FreeImage_ConvertTo8Bits(source));
        return grey ? std::move(grey) : Bitmap(FreeImage_ConvertToStandardType(source, TRUE));
    }
    case FIT_RGB16:
        return Bitmap(FreeImage_ConvertTo24Bits(source));
    case FIT_RGBA16:
        return Bitmap(FreeImage_ConvertTo32Bits(source));
    case FIT_RGBF:
        return Bitmap(FreeImage_ToneMapping(source, FITMO_DRAGO03));
    case FIT_RGBAF: {
        Bitmap rgb(FreeImage_ConvertToRGBF(source));
        return rgb ? Bitmap(FreeImage_ToneMapping(rgb.get(), FITMO_DRAGO03)) : nullptr;
    }
    default:
        return Bitmap(FreeImage_ConvertToStandardType(source, TRUE));
    }
}

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

std::optional<NormalisedImage> normaliseImage(const QString& imagePath, const QString& bmpPath, QString* error)
{
    const QFileInfo previous(bmpPath);
    if ((previous.exists() || previous.isSymLink()) && !QFile::remove(bmpPath)) {
        fail(error, QStringLiteral("The previous normalised image \"%1\" cannot be removed.").arg(bmpPath));
        return std::nullopt;
    }

    const QFileInfo info(imagePath);
    if (info.isDir()) {
        fail(error, QStringLiteral("\"%1\" is a folder, not an image.").arg(imagePath));
        return std::nullopt;
    }
    {
        QFile probe(imagePath);
        if (!probe.open(QIODevice::ReadOnly)) {
            fail(error, QStringLiteral("\"%1\" cannot be opened: %2.").arg(imagePath, probe.errorString()));
            return std::nullopt;
        }
        if (probe.size() == 0) {
            fail(error, QStringLiteral("\"%1\" is empty.").arg(imagePath));
            return std::nullopt;
        }
    }

    const QByteArray name = QFile::encodeName(imagePath);
    const QString unreadable = QStringLiteral("\"%1\" is not an image this program can read.").arg(imagePath);
    const FREE_IMAGE_FORMAT format = chooseFormat(imagePath, name);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) {
        fail(error, unreadable);
        return std::nullopt;
    }
    // Photos are stored as the camera held them; the orientation tag says how to show them.
    const int flags = format == FIF_JPEG ? JPEG_EXIFROTATE : 0;
    Bitmap bitmap(FreeImage_Load(format, name.constData(), flags));
    if (!bitmap) {
        fail(error, unreadable);
        return std::nullopt;
    }
    bitmap = toBmpWritable(std::move(bitmap));
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
