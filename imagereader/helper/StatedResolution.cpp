#include "imagereader/helper/StatedResolution.h"

#include "imagereader/helper/FdStream.h"
#include "imagereader/helper/HeaderFacts.h"

#include <array>
#include <cmath>
#include <string_view>

namespace {

constexpr double kCentimetresPerInch = 2.54;
constexpr double kMetresPerInch = 0.0254;
constexpr int kMaxPngChunks = 4096;

std::uint32_t big32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

double stated(double perInch)
{
    return std::isfinite(perInch) && perInch > 0 ? perInch : 0;
}

StatedResolution perInch(double x, double y, double unitsPerInch)
{
    return {stated(x * unitsPerInch), stated(y * unitsPerInch)};
}

// TIFF's resolution unit 1 gives only the pixels' aspect.
StatedResolution tiffResolution(const TiffFacts& facts)
{
    if (facts.resolutionUnit != 2 && facts.resolutionUnit != 3) {
        return {};
    }
    return perInch(facts.xResolution, facts.yResolution, facts.resolutionUnit == 3 ? kCentimetresPerInch : 1);
}

// The pHYs chunk before the pixels: pixels per unit across and down, then the unit, 1 for the metre; 0 gives only
// the pixels' aspect.
StatedResolution pngResolution(const FdStream& file)
{
    std::int64_t offset = 8;
    for (int chunks = 0; chunks < kMaxPngChunks; ++chunks) {
        std::array<unsigned char, 8 + 9> chunk{};
        const std::size_t got = file.readAt(offset, chunk.data(), chunk.size());
        if (got < 8) {
            return {};
        }
        const std::uint32_t length = big32(&chunk[0]);
        const std::string_view type(reinterpret_cast<const char*>(&chunk[4]), 4);
        if (type == "IDAT" || type == "IEND") {
            return {};
        }
        if (type == "pHYs") {
            if (length != 9 || got != chunk.size() || chunk[16] != 1) {
                return {};
            }
            return perInch(big32(&chunk[8]), big32(&chunk[12]), kMetresPerInch);
        }
        offset += 12 + std::int64_t(length);
    }
    return {};
}

// JFIF's density when it has a unit; otherwise EXIF's resolution.
StatedResolution jpegResolution(const JpegFacts& jpeg)
{
    if ((jpeg.jfifUnit == 1 || jpeg.jfifUnit == 2) && jpeg.jfifX > 0 && jpeg.jfifY > 0) {
        return perInch(jpeg.jfifX, jpeg.jfifY, jpeg.jfifUnit == 2 ? kCentimetresPerInch : 1);
    }
    return tiffResolution(jpeg.exif);
}

} // namespace

StatedResolution statedResolution(const FdStream& file, FREE_IMAGE_FORMAT format, const JpegFacts& jpeg)
{
    switch (format) {
    case FIF_PNG:
        return pngResolution(file);
    case FIF_JPEG:
        return jpegResolution(jpeg);
    case FIF_TIFF:
        return tiffResolution(readTiffFacts([&file](std::int64_t offset, unsigned char* buffer, std::size_t size) {
            return file.readAt(offset, buffer, size);
        }));
    default:
        return {};
    }
}
