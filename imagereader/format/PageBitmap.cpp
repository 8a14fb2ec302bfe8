#include "imagereader/format/PageBitmap.h"

#include "imagereader/format/ReaderProtocol.h"

namespace pagebitmap {

namespace {

constexpr std::uint32_t kInfoHeaderBytes = 40;

void put16(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value)
{
    out[at] = (unsigned char)(value & 0xff);
    out[at + 1] = (unsigned char)(value >> 8 & 0xff);
}

void put32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value)
{
    put16(out, at, value & 0xffff);
    put16(out, at + 2, value >> 16);
}

std::uint32_t get32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t get16(const unsigned char* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

std::optional<Layout> refuse(std::string* why, const std::string& text)
{
    if (why != nullptr) {
        *why = text;
    }
    return std::nullopt;
}

} // namespace

bool withinLimits(std::int64_t width, std::int64_t height)
{
    return width >= 1 && height >= 1 && width <= imagereader::kMaxSide && height <= imagereader::kMaxSide &&
           width * height <= imagereader::kMaxPixels;
}

std::vector<unsigned char> header(const Layout& layout)
{
    std::vector<unsigned char> out(std::size_t(layout.rowsOffset()), 0);
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, std::uint32_t(layout.fileSize()));
    put32(out, 10, std::uint32_t(layout.rowsOffset()));
    put32(out, 14, kInfoHeaderBytes);
    put32(out, 18, std::uint32_t(layout.width));
    put32(out, 22, std::uint32_t(layout.height));
    put16(out, 26, 1);
    put16(out, 28, layout.grey ? 8 : 24);
    put32(out, 34, std::uint32_t(layout.pitch() * layout.height));
    if (layout.grey) {
        put32(out, 46, 256);
        for (std::size_t i = 0; i < 256; ++i) {
            out[kHeaderBytes + 4 * i] = out[kHeaderBytes + 4 * i + 1] = out[kHeaderBytes + 4 * i + 2] =
                (unsigned char)i;
        }
    }
    return out;
}

std::int64_t claimedFileSize(const unsigned char* start, std::size_t length)
{
    return length >= kHeaderBytes ? std::int64_t(get32(start + 2)) : 0;
}

std::optional<Layout> readLayout(const unsigned char* start, std::size_t length, std::int64_t fileSize,
                                 std::string* why)
{
    if (length < kHeaderBytes || start[0] != 'B' || start[1] != 'M' || get32(start + 14) != kInfoHeaderBytes) {
        return refuse(why, "it is not a plain BMP picture");
    }
    Layout layout;
    const auto width = std::int32_t(get32(start + 18));
    const auto height = std::int32_t(get32(start + 22));
    const std::uint16_t bitCount = get16(start + 28);
    if (get16(start + 26) != 1 || (bitCount != 24 && bitCount != 8) || get32(start + 30) != 0) {
        return refuse(why, "its rows are neither plain 24-bit colour nor 8-bit grey");
    }
    if (!withinLimits(width, height)) {
        return refuse(why, "it claims " + std::to_string(width) + " \u00d7 " + std::to_string(height) +
                               " pixels, outside the limits of the image reader");
    }
    layout.width = width;
    layout.height = height;
    layout.grey = bitCount == 8;
    if (get32(start + 10) != layout.rowsOffset() || get32(start + 2) != std::uint64_t(fileSize) ||
        fileSize != layout.fileSize()) {
        return refuse(why, "its size (" + std::to_string(fileSize) + " bytes) is not that of its " +
                               std::to_string(width) + " \u00d7 " + std::to_string(height) + " pixels");
    }
    if (layout.grey) {
        const std::uint32_t colours = get32(start + 46);
        if (length < kLongestHeader || (colours != 0 && colours != 256)) {
            return refuse(why, "its palette is not the 256 greys");
        }
        for (std::size_t i = 0; i < 256; ++i) {
            const unsigned char* entry = start + kHeaderBytes + 4 * i;
            if (entry[0] != i || entry[1] != i || entry[2] != i) {
                return refuse(why, "its palette is not the 256 greys");
            }
        }
    }
    return layout;
}

} // namespace pagebitmap
