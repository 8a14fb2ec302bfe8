#include "pagepdf/FlateEncoding.h"

#include <turbojpeg.h>
#include <zlib.h>

#include <algorithm>
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

// What a row's filtered bytes cost, taken as signed: the smaller, the better deflate does with them.
long costOf(const unsigned char* filtered, std::size_t length)
{
    long cost = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const int value = filtered[i];
        cost += value < 128 ? value : 256 - value;
    }
    return cost;
}

// One row filtered each of PNG's ways but Average (above: the row before, all zero for the first); the one that costs
// least goes out. Each way is a loop of its own, without branches, for the compiler to do many bytes at a time.
void filterRow(const unsigned char* row, const unsigned char* above, std::size_t length, std::size_t pixel,
               std::array<std::vector<unsigned char>, 3>& trial, std::vector<unsigned char>& out)
{
    static constexpr std::array<unsigned char, 4> kTypes = {0, 1, 2, 4}; // none, Sub, Up, Paeth
    unsigned char* sub = trial[0].data();
    unsigned char* up = trial[1].data();
    unsigned char* paeth = trial[2].data();
    const std::size_t lead = std::min(pixel, length);
    // The first pixel has nothing to its left: Sub keeps it, and Paeth takes the byte above.
    for (std::size_t i = 0; i < lead; ++i) {
        sub[i] = row[i];
        paeth[i] = static_cast<unsigned char>(row[i] - above[i]);
    }
    for (std::size_t i = lead; i < length; ++i) {
        sub[i] = static_cast<unsigned char>(row[i] - row[i - pixel]);
    }
    for (std::size_t i = 0; i < length; ++i) {
        up[i] = static_cast<unsigned char>(row[i] - above[i]);
    }
    for (std::size_t i = lead; i < length; ++i) {
        const int left = row[i - pixel];
        const int upper = above[i];
        const int upLeft = above[i - pixel];
        const int toLeft = std::abs(upper - upLeft); // |estimate - left|, the estimate being left + up - upLeft
        const int toUp = std::abs(left - upLeft);
        const int toUpLeft = std::abs(left + upper - 2 * upLeft);
        const int predicted = toLeft <= toUp && toLeft <= toUpLeft ? left : toUp <= toUpLeft ? upper : upLeft;
        paeth[i] = static_cast<unsigned char>(row[i] - predicted);
    }
    const unsigned char* ways[4] = {row, sub, up, paeth};
    std::size_t best = 0;
    long bestCost = costOf(row, length);
    for (std::size_t t = 1; t < kTypes.size(); ++t) {
        if (const long cost = costOf(ways[t], length); cost < bestCost) {
            bestCost = cost;
            best = t;
        }
    }
    out.push_back(kTypes[best]);
    out.insert(out.end(), ways[best], ways[best] + length);
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
    std::vector<unsigned char> above(length, 0);     // the first row's is all zero
    std::array<std::vector<unsigned char>, 3> trial; // Sub, Up, Paeth
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
        filterRow(row.data(), above.data(), length, std::size_t(components), trial, filtered);
        row.swap(above);
    }

    uLongf size = compressBound(uLong(filtered.size()));
    auto compressed = std::shared_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size]);
    if (!compressed) {
        *error = QStringLiteral("there is not enough memory to compress it");
        return std::nullopt;
    }
    if (compress2(compressed.get(), &size, filtered.data(), uLong(filtered.size()), 3) != Z_OK) {
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
