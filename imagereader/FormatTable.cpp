#include "imagereader/FormatTable.h"

#include <FreeImage.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>

namespace {

struct ExtensionFormat
{
    std::string_view extension;
    int format;
};

constexpr std::array<ExtensionFormat, 17> kExtensionTable{{
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
    {"heic", kFormatHeif},
    {"heif", kFormatHeif},
    {"avif", kFormatAvif},
    {"webp", kFormatWebp},
    {"jxl", kFormatJxl},
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
    for (const ExtensionFormat& row : kExtensionTable) {
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
