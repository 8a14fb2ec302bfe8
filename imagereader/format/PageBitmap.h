#pragma once

// The one layout in which the image reader hands over a page's picture, and the only one the program reads back:
// an uncompressed BMP file, rows bottom first, each padded to four bytes, with either 24-bit rows (blue, green,
// red) or 8-bit grey rows behind a palette of the 256 greys. Plain C++, shared by the helper that writes it and
// the program that reads it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pagebitmap {

inline constexpr std::size_t kHeaderBytes = 14 + 40;
inline constexpr std::size_t kGreyPaletteBytes = 256 * 4;
// Enough of the file's start to read its layout from.
inline constexpr std::size_t kLongestHeader = kHeaderBytes + kGreyPaletteBytes;

struct Layout
{
    int width = 0;
    int height = 0;
    bool grey = false;

    [[nodiscard]] std::int64_t pitch() const { return (std::int64_t(width) * (grey ? 1 : 3) + 3) / 4 * 4; }
    [[nodiscard]] std::int64_t rowsOffset() const
    {
        return std::int64_t(kHeaderBytes + (grey ? kGreyPaletteBytes : 0));
    }
    [[nodiscard]] std::int64_t fileSize() const { return rowsOffset() + pitch() * height; }
};

// Whether a picture of this size is within the reader's limits (a side of 1 to 65,500 pixels, 250 megapixels).
[[nodiscard]] bool withinLimits(std::int64_t width, std::int64_t height);

// Everything before the rows: file header, information header and, for grey, the palette.
[[nodiscard]] std::vector<unsigned char> header(const Layout& layout);

// The size a picture's header says its file has; 0 when `start` (length bytes) is too short to say.
[[nodiscard]] std::int64_t claimedFileSize(const unsigned char* start, std::size_t length);

// The layout of a file of fileSize bytes that starts with `start` (up to kLongestHeader bytes of it). Nothing,
// and *why in plain words, for anything that is not exactly this layout within the limits, the file's size
// included.
[[nodiscard]] std::optional<Layout> readLayout(const unsigned char* start, std::size_t length, std::int64_t fileSize,
                                               std::string* why);

} // namespace pagebitmap
