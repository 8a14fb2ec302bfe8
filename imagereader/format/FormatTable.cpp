#include "imagereader/format/FormatTable.h"

#include <FreeImage.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>

namespace {

// lupdate finds the dialog's texts here; the program translates them where it shows them.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

constexpr std::array<FormatExtension, 17> kExtensionTable{{
    {"jpg", FIF_JPEG, QT_TRANSLATE_NOOP("ToolBarCommands", "JPG Files(*.jpg)")},
    {"jpeg", FIF_JPEG, QT_TRANSLATE_NOOP("ToolBarCommands", "JPEG Files(*.jpeg)")},
    {"tif", FIF_TIFF, QT_TRANSLATE_NOOP("ToolBarCommands", "TIF Files(*.tif)")},
    {"tiff", FIF_TIFF, QT_TRANSLATE_NOOP("ToolBarCommands", "TIFF Files(*.tiff)")},
    {"bmp", FIF_BMP, QT_TRANSLATE_NOOP("ToolBarCommands", "BMP Files(*.BMP)")},
    {"gif", FIF_GIF, QT_TRANSLATE_NOOP("ToolBarCommands", "GIF Files(*.gif)")},
    {"png", FIF_PNG, QT_TRANSLATE_NOOP("ToolBarCommands", "PNG Files(*.png)")},
    {"heic", kFormatHeif, QT_TRANSLATE_NOOP("ToolBarCommands", "HEIC Files(*.heic;*.heif)")},
    {"heif", kFormatHeif, QT_TRANSLATE_NOOP("ToolBarCommands", "HEIC Files(*.heic;*.heif)")},
    {"avif", kFormatAvif, QT_TRANSLATE_NOOP("ToolBarCommands", "AVIF Files(*.avif)")},
    {"webp", kFormatWebp, QT_TRANSLATE_NOOP("ToolBarCommands", "WebP Files(*.webp)")},
    {"jxl", kFormatJxl, QT_TRANSLATE_NOOP("ToolBarCommands", "JPEG XL Files(*.jxl)")},
    {"dib", FIF_BMP, nullptr},
    {"ico", FIF_ICO, nullptr},
    {"iff", FIF_IFF, nullptr},
    {"pcx", FIF_PCX, nullptr},
    {"psd", FIF_PSD, nullptr},
}};

// FreeImage's own probing order (its plugin numbers), restricted to the table.
constexpr std::array<int, 9> kProbeOrder{FIF_BMP, FIF_ICO,  FIF_JPEG, FIF_IFF, FIF_PCX,
                                         FIF_PNG, FIF_TIFF, FIF_PSD,  FIF_GIF};

constexpr std::array<int, 4> kOwnDecoderFormats{kFormatHeif, kFormatAvif, kFormatWebp, kFormatJxl};

bool startsWith(const unsigned char* start, std::size_t length, std::size_t offset, const char* text)
{
    const std::size_t n = std::strlen(text);
    return length >= offset + n && std::memcmp(start + offset, text, n) == 0;
}

// The brands of an ISO base media file's "ftyp" box that say HEIF still pictures (AVIF's among them).
int heifBrandFormat(const unsigned char* start, std::size_t length)
{
    if (!startsWith(start, length, 4, "ftyp") || length < 16) {
        return -1;
    }
    const std::size_t boxSize =
        std::size_t(start[0]) << 24 | std::size_t(start[1]) << 16 | std::size_t(start[2]) << 8 | start[3];
    const std::size_t end = std::min(length, std::max<std::size_t>(boxSize, 16));
    bool heif = false;
    // The major brand at 8, then (after the minor version) the compatible brands from 16 on.
    for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        const std::string_view brand(reinterpret_cast<const char*>(start + at), 4);
        if (brand == "avif" || brand == "avis") {
            return kFormatAvif;
        }
        heif = heif || brand == "heic" || brand == "heix" || brand == "heim" || brand == "heis" || brand == "hevc" ||
               brand == "hevx" || brand == "mif1" || brand == "msf1";
    }
    return heif ? kFormatHeif : -1;
}

} // namespace

std::span<const FormatExtension> formatExtensions()
{
    return kExtensionTable;
}

int formatForFileName(std::string_view fileName)
{
    if (const std::size_t slash = fileName.rfind('/'); slash != std::string_view::npos) {
        fileName.remove_prefix(slash + 1);
    }
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return FIF_UNKNOWN;
    }
    std::string extension(fileName.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const FormatExtension& row : kExtensionTable) {
        if (extension == row.extension) {
            return row.format;
        }
    }
    return FIF_UNKNOWN;
}

bool isTableFormat(int format)
{
    return std::find(kProbeOrder.begin(), kProbeOrder.end(), format) != kProbeOrder.end() || isOwnDecoderFormat(format);
}

bool isOwnDecoderFormat(int format)
{
    return std::find(kOwnDecoderFormats.begin(), kOwnDecoderFormats.end(), format) != kOwnDecoderFormats.end();
}

const int* tableFormatsByProbeOrder(int* count)
{
    *count = int(kProbeOrder.size());
    return kProbeOrder.data();
}

int ownDecoderFormatByContent(const unsigned char* start, std::size_t length)
{
    if (startsWith(start, length, 0, "RIFF") && startsWith(start, length, 8, "WEBP")) {
        return kFormatWebp;
    }
    // A bare JPEG XL code stream, or the container's signature box.
    if ((length >= 2 && start[0] == 0xff && start[1] == 0x0a) ||
        (length >= 12 && std::memcmp(start, "\0\0\0\x0cJXL \r\n\x87\n", 12) == 0)) {
        return kFormatJxl;
    }
    return heifBrandFormat(start, length);
}

const char* ownDecoderFormatName(int format)
{
    switch (format) {
    case kFormatHeif:
        return "HEIF";
    case kFormatAvif:
        return "AVIF";
    case kFormatWebp:
        return "WEBP";
    case kFormatJxl:
        return "JPEG XL";
    default:
        return "";
    }
}
