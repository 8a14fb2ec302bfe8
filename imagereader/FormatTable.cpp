#include "imagereader/FormatTable.h"

#include <FreeImage.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace {

struct ExtensionFormat
{
    std::string_view extension;
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

// FreeImage's own probing order (its plugin numbers), restricted to the table.
constexpr std::array<int, 9> probeOrder{FIF_BMP, FIF_ICO,  FIF_JPEG, FIF_IFF, FIF_PCX,
                                        FIF_PNG, FIF_TIFF, FIF_PSD,  FIF_GIF};

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
    for (const ExtensionFormat& row : extensionTable) {
        if (extension == row.extension) {
            return row.format;
        }
    }
    return FIF_UNKNOWN;
}

bool isTableFormat(int format)
{
    return std::find(probeOrder.begin(), probeOrder.end(), format) != probeOrder.end();
}

const int* tableFormatsByProbeOrder(int* count)
{
    *count = int(probeOrder.size());
    return probeOrder.data();
}
