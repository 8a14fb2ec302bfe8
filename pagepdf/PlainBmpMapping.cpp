#include "pagepdf/PlainBmpMapping.h"

#include <QFile>
#include <turbojpeg.h>

#include <cstdint>

namespace {

std::uint32_t readLittle32(const uchar* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t readLittle16(const uchar* p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

} // namespace

std::optional<PixelRows> mapPlainBmp(QFile& file)
{
    constexpr qint64 fileHeaderSize = 14;
    constexpr qint64 infoHeaderSize = 40;
    uchar header[fileHeaderSize + infoHeaderSize];
    if (file.read(reinterpret_cast<char*>(header), sizeof header) != qint64(sizeof header) || header[0] != 'B' ||
        header[1] != 'M') {
        return std::nullopt;
    }
    const std::uint32_t dataOffset = readLittle32(header + 10);
    const std::uint32_t dibSize = readLittle32(header + 14);
    const auto width = std::int32_t(readLittle32(header + 18));
    const auto height = std::int32_t(readLittle32(header + 22));
    const std::uint16_t planes = readLittle16(header + 26);
    const std::uint16_t bitCount = readLittle16(header + 28);
    const std::uint32_t compression = readLittle32(header + 30);
    if ((dibSize != 40 && dibSize != 108 && dibSize != 124) || width <= 0 || height <= 0 || planes != 1 ||
        bitCount != 24 || compression != 0 || width > (1 << 16) || height > (1 << 16)) {
        return std::nullopt;
    }
    const qint64 pitch = (qint64(width) * 3 + 3) / 4 * 4;
    if (dataOffset < fileHeaderSize + dibSize || qint64(dataOffset) + pitch * height > file.size()) {
        return std::nullopt;
    }
    const uchar* rows = file.map(dataOffset, pitch * height);
    if (rows == nullptr) {
        return std::nullopt;
    }
    // A BMP file keeps its channels as blue, green, red whatever the machine.
    return PixelRows{rows, width, height, int(pitch), TJPF_BGR};
}
