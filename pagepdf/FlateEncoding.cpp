#include "pagepdf/FlateEncoding.h"

#include <turbojpeg.h>
#include <zlib.h>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

// The channel offsets of red, green and blue in a pixel of this TurboJPEG format, and its size.
struct ChannelOrder
{
    int red = 0;
    int green = 0;
    int blue = 0;
    int size = 1;
};

std::optional<ChannelOrder> channelOrder(int pixelFormat)
{
    if (pixelFormat == TJPF_GRAY) {
        return ChannelOrder{0, 0, 0, 1};
    }
    if (pixelFormat < 0 || pixelFormat >= TJ_NUMPF || tjPixelSize[pixelFormat] < 3 || tjRedOffset[pixelFormat] < 0) {
        return std::nullopt;
    }
    return ChannelOrder{tjRedOffset[pixelFormat], tjGreenOffset[pixelFormat], tjBlueOffset[pixelFormat],
                        tjPixelSize[pixelFormat]};
}

unsigned char paeth(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left);
    const int toUp = std::abs(estimate - up);
    const int toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) {
        return static_cast<unsigned char>(left);
    }
    return static_cast<unsigned char>(toUp <= toUpLeft ? up : upLeft);
}

// One row filtered each of PNG's ways but Average; the one whose bytes, taken as signed, sum smallest goes out.
void filterRow(const unsigned char* row, const unsigned char* above, std::size_t length, int pixel,
               std::array<std::vector<unsigned char>, 4>& trial, std::vector<unsigned char>& out)
{
    static constexpr std::array<unsigned char, 4> kTypes = {0, 1, 2, 4}; // none, Sub, Up, Paeth
    std::size_t best = 0;
    long bestCost = -1;
    for (std::size_t t = 0; t < kTypes.size(); ++t) {
        std::vector<unsigned char>& filtered = trial[t];
        long cost = 0;
        for (std::size_t i = 0; i < length; ++i) {
            const int left = i >= std::size_t(pixel) ? row[i - pixel] : 0;
            const int up = above != nullptr ? above[i] : 0;
            const int upLeft = above != nullptr && i >= std::size_t(pixel) ? above[i - pixel] : 0;
            unsigned char value = row[i];
            switch (kTypes[t]) {
            case 1:
                value = static_cast<unsigned char>(row[i] - left);
                break;
            case 2:
                value = static_cast<unsigned char>(row[i] - up);
                break;
            case 4:
                value = static_cast<unsigned char>(row[i] - paeth(left, up, upLeft));
                break;
            default:
                break;
            }
            filtered[i] = value;
            cost += value < 128 ? value : 256 - value;
        }
        if (bestCost < 0 || cost < bestCost) {
            bestCost = cost;
            best = t;
        }
    }
    out.push_back(kTypes[best]);
    out.insert(out.end(), trial[best].begin(), trial[best].begin() + std::ptrdiff_t(length));
}

} // namespace

std::optional<PageImage> encodeFlate(const PixelRows& rows, QString* error)
{
    const std::optional<ChannelOrder> order = channelOrder(rows.pixelFormat);
    if (!order || rows.width <= 0 || rows.height <= 0) {
        *error = QStringLiteral("the picture's layout is not one this library writes");
        return std::nullopt;
    }
    const int components = rows.pixelFormat == TJPF_GRAY ? 1 : 3;
    const std::size_t length = std::size_t(rows.width) * std::size_t(components);

    // Top row first, in the page's channel order, each led by its filter byte.
    std::vector<unsigned char> filtered;
    filtered.reserve((length + 1) * std::size_t(rows.height));
    std::vector<unsigned char> row(length);
    std::vector<unsigned char> above(length);
    std::array<std::vector<unsigned char>, 4> trial;
    for (auto& t : trial) {
        t.resize(length);
    }
    for (int y = 0; y < rows.height; ++y) {
        const unsigned char* source = rows.bottomRow + std::ptrdiff_t(rows.height - 1 - y) * rows.pitch;
        if (components == 1) {
            std::copy(source, source + length, row.begin());
        } else {
            for (int x = 0; x < rows.width; ++x) {
                const unsigned char* pixel = source + std::ptrdiff_t(x) * order->size;
                row[std::size_t(x) * 3] = pixel[order->red];
                row[std::size_t(x) * 3 + 1] = pixel[order->green];
                row[std::size_t(x) * 3 + 2] = pixel[order->blue];
            }
        }
        filterRow(row.data(), y == 0 ? nullptr : above.data(), length, components, trial, filtered);
        row.swap(above);
    }

    uLongf size = compressBound(uLong(filtered.size()));
    auto compressed = std::shared_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size]);
    if (!compressed) {
        *error = QStringLiteral("there is not enough memory to compress it");
        return std::nullopt;
    }
    if (compress2(compressed.get(), &size, filtered.data(), uLong(filtered.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
        *error = QStringLiteral("zlib could not compress it");
        return std::nullopt;
    }
    PageImage image;
    image.data = std::shared_ptr<const unsigned char>(compressed, compressed.get());
    image.size = size;
    image.width = rows.width;
    image.height = rows.height;
    image.components = components;
    image.filter = ImageFilter::Flate;
    return image;
}
