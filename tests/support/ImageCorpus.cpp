#include "support/ImageCorpus.h"

#include "support/TestFolder.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTransform>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

// libjpeg and libpng are C headers; jpeglib.h needs stdio first.
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

Bitmap loadBmp(const QString& path)
{
    return Bitmap(FreeImage_Load(FIF_BMP, QFile::encodeName(path).constData(), 0));
}

// A FreeImage bitmap as a QImage (ARGB), rows top-down.
QImage toQImage(FIBITMAP* bitmap)
{
    const Bitmap rgba(FreeImage_ConvertTo32Bits(bitmap));
    const int width = int(FreeImage_GetWidth(rgba.get()));
    const int height = int(FreeImage_GetHeight(rgba.get()));
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const BYTE* pixel = FreeImage_GetScanLine(rgba.get(), height - 1 - y);
        for (int x = 0; x < width; ++x, pixel += 4) {
            image.setPixel(x, y,
                           qRgba(pixel[FI_RGBA_RED], pixel[FI_RGBA_GREEN], pixel[FI_RGBA_BLUE], pixel[FI_RGBA_ALPHA]));
        }
    }
    return image;
}

// An 8-bit-per-channel picture as a FreeImage bitmap; bpp 24 or 32.
Bitmap fromQImage(const QImage& image, int bpp)
{
    Bitmap bitmap(FreeImage_Allocate(image.width(), image.height(), bpp));
    for (int y = 0; y < image.height(); ++y) {
        BYTE* pixel = FreeImage_GetScanLine(bitmap.get(), image.height() - 1 - y);
        for (int x = 0; x < image.width(); ++x, pixel += bpp / 8) {
            const QRgb c = image.pixel(x, y);
            pixel[FI_RGBA_RED] = BYTE(qRed(c));
            pixel[FI_RGBA_GREEN] = BYTE(qGreen(c));
            pixel[FI_RGBA_BLUE] = BYTE(qBlue(c));
            if (bpp == 32) {
                pixel[FI_RGBA_ALPHA] = BYTE(qAlpha(c));
            }
        }
    }
    return bitmap;
}

// 16 bits per channel, each value v of the picture stored as v * 257.
Bitmap sixteenBit(const QImage& image, bool grey)
{
    Bitmap bitmap(FreeImage_AllocateT(grey ? FIT_UINT16 : FIT_RGB16, image.width(), image.height()));
    for (int y = 0; y < image.height(); ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap.get(), image.height() - 1 - y);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (grey) {
                reinterpret_cast<WORD*>(line)[x] = WORD(qGray(c) * 257);
            } else {
                FIRGB16& pixel = reinterpret_cast<FIRGB16*>(line)[x];
                pixel.red = WORD(qRed(c) * 257);
                pixel.green = WORD(qGreen(c) * 257);
                pixel.blue = WORD(qBlue(c) * 257);
            }
        }
    }
    return bitmap;
}

bool save(FREE_IMAGE_FORMAT format, FIBITMAP* bitmap, const QString& path)
{
    return FreeImage_Save(format, bitmap, QFile::encodeName(path).constData(), 0) != FALSE;
}

// The test picture in grey as sixteenBit() stores it.
QImage greyPicture(int width, int height)
{
    QImage picture = makeTestPicture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int grey = qGray(picture.pixel(x, y));
            picture.setPixel(x, y, qRgb(grey, grey, grey));
        }
    }
    return picture;
}

namespace {

void writePngChunk(QDataStream& out, const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type) + data;
    out << quint32(data.size());
    out.writeRawData(typed.constData(), int(typed.size()));
    out << quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size())));
}

// A PNG's signature and its header for a picture of this depth and colour type.
void writePngStart(QDataStream& out, quint32 width, quint32 height, quint8 depth, quint8 colourType)
{
    out.writeRawData("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    QDataStream(&header, QIODevice::WriteOnly)
        << width << height << depth << colourType << quint8(0) << quint8(0) << quint8(0);
    writePngChunk(out, "IHDR", header);
}

} // namespace

// A JPEG carrying an EXIF orientation tag, built by inserting an APP1 segment after the JFIF header.
QByteArray headerClaiming(const QString& format, quint32 width, quint32 height)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    if (format == QLatin1String("png")) {
        writePngStart(out, width, height, 8, 2);
        writePngChunk(out, "IDAT", qCompress(QByteArray(64, '\0')).mid(4)); // a zlib stream of a few empty rows
        writePngChunk(out, "IEND", {});
        return bytes;
    }
    out.setByteOrder(QDataStream::LittleEndian);
    if (format == QLatin1String("webp")) {
        // A lossless picture's header (each side less one, in 14 bits: WebP's limit is 16383), then a few bytes of
        // the 100000 its chunk announces.
        out.writeRawData("RIFF", 4);
        out << quint32(4 + 8 + 100000);
        out.writeRawData("WEBPVP8L", 8);
        out << quint32(100000) << quint8(0x2f) << quint32(((width - 1) & 0x3fff) | ((height - 1) & 0x3fff) << 14);
        out.writeRawData(QByteArray(11, '\0').constData(), 11);
    } else if (format == QLatin1String("bmp")) {
        out.writeRawData("BM", 2);
        out << quint32(54 + 16) << quint32(0) << quint32(54);
        out << quint32(40) << width << height << quint16(1) << quint16(24) << quint32(0) << quint32(0) << quint32(2835)
            << quint32(2835) << quint32(0) << quint32(0);
        out.writeRawData(QByteArray(16, '\x7f').constData(), 16);
    } else if (format == QLatin1String("gif")) {
        out.writeRawData("GIF89a", 6);
        out << quint16(width) << quint16(height) << quint8(0x80) << quint8(0) << quint8(0);
        out << quint8(0) << quint8(0) << quint8(0) << quint8(255) << quint8(255) << quint8(255); // two colours
        out << quint8(0x2c) << quint16(0) << quint16(0) << quint16(width) << quint16(height) << quint8(0);
        out << quint8(2) << quint8(2) << quint8(0x4c) << quint8(0x01) << quint8(0) << quint8(0x3b);
    } else if (format == QLatin1String("tif")) {
        // One strip of a few bytes; the directory after the header.
        constexpr quint16 entries = 9;
        const quint32 dataOffset = 8 + 2 + entries * 12 + 4;
        out.writeRawData("II*\0", 4);
        out << quint32(8) << entries;
        const auto entry = [&out](quint16 tag, quint16 type, quint32 value) {
            out << tag << type << quint32(1);
            if (type == 3) {
                out << quint16(value) << quint16(0);
            } else {
                out << value;
            }
        };
        entry(256, 4, width);
        entry(257, 4, height);
        entry(258, 3, 8);
        entry(259, 3, 1);
        entry(262, 3, 1); // grey: one strip of any length is plausible
        entry(273, 4, dataOffset);
        entry(277, 3, 1);
        entry(278, 4, height);
        entry(279, 4, 16);
        out << quint32(0);
        out.writeRawData(QByteArray(16, '\x7f').constData(), 16);
    }
    return bytes;
}

QByteArray blankPng(quint32 width, quint32 height)
{
    // Each row is its filter type 0 and then its bits, all zeros.
    const QByteArray rows(qsizetype(1 + (width + 7) / 8) * height, '\0');
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    writePngStart(out, width, height, 1, 0);
    writePngChunk(out, "IDAT", qCompress(rows, 9).mid(4)); // the zlib stream, without Qt's length before it
    writePngChunk(out, "IEND", {});
    return bytes;
}

QByteArray heifListing(quint16 items)
{
    const auto box = [](const char* type, const QByteArray& body, int version = -1) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << quint32(8 + (version >= 0 ? 4 : 0) + body.size());
        out.writeRawData(type, 4);
        if (version >= 0) {
            out << (quint32(version) << 24); // and no flags
        }
        return bytes + body;
    };
    QByteArray list;
    QDataStream(&list, QIODevice::WriteOnly) << items;
    for (int item = 1; item <= items; ++item) {
        QByteArray entry;
        QDataStream(&entry, QIODevice::WriteOnly) << quint16(item) << quint16(0);
        list += box("infe", entry + QByteArrayLiteral("Exif") + '\0', 2);
    }
    QByteArray primary;
    QDataStream(&primary, QIODevice::WriteOnly) << quint16(1);
    return box("ftyp", QByteArrayLiteral("heic\0\0\0\0mif1heic")) +
           box("meta", box("pitm", primary, 0) + box("iinf", list, 0), 0);
}

namespace {

// The picture as Qt writes it as a JPEG of quality 95.
QByteArray qtJpeg(const QImage& image)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return jpeg;
}

// Where a segment goes in a JPEG: after its JFIF segment, if it has one.
int afterJfif(const QByteArray& jpeg)
{
    if (uchar(jpeg[2]) == 0xff && uchar(jpeg[3]) == 0xe0) {
        return 4 + (uchar(jpeg[4]) << 8 | uchar(jpeg[5]));
    }
    return 2;
}

// The JPEG with a segment of this marker and payload after its JFIF segment.
QByteArray withSegment(QByteArray jpeg, unsigned char marker, const QByteArray& payload)
{
    const int length = int(payload.size()) + 2;
    QByteArray segment;
    segment += char(0xff);
    segment += char(marker);
    segment += char(length >> 8);
    segment += char(length & 0xff);
    segment += payload;
    return jpeg.insert(afterJfif(jpeg), segment);
}

} // namespace

QByteArray jpegWithOrientation(const QImage& image, int orientation, quint32 exifDpi)
{
    const quint16 entries = exifDpi > 0 ? 3 : 1;
    const quint32 rationals = 8 + 2 + entries * 12 + 4; // after the one directory
    QByteArray tiff;
    QDataStream out(&tiff, QIODevice::WriteOnly); // big-endian, as the header says
    out.writeRawData("MM\x00\x2a", 4);
    out << quint32(8) << entries;
    out << quint16(0x0112) << quint16(3) << quint32(1) << quint16(orientation) << quint16(0); // Orientation, SHORT
    if (exifDpi > 0) {
        // XResolution and YResolution, RATIONAL; no ResolutionUnit: inches.
        out << quint16(0x011a) << quint16(5) << quint32(1) << rationals;
        out << quint16(0x011b) << quint16(5) << quint32(1) << rationals + 8;
    }
    out << quint32(0); // no next IFD
    if (exifDpi > 0) {
        out << exifDpi << quint32(1) << exifDpi << quint32(1);
    }
    return withSegment(qtJpeg(image), 0xe1, QByteArray("Exif\x00\x00", 6) + tiff);
}

QByteArray withJfifDensity(QByteArray jpeg, quint8 unit, quint16 x, quint16 y)
{
    // After the markers, the segment's length, "JFIF\0" and its version.
    constexpr int kUnitAt = 2 + 2 + 2 + 5 + 2;
    if (jpeg.size() < kUnitAt + 5 || !jpeg.mid(6, 5).startsWith("JFIF")) {
        return {};
    }
    const quint8 fields[5] = {unit, quint8(x >> 8), quint8(x), quint8(y >> 8), quint8(y)};
    for (int i = 0; i < 5; ++i) {
        jpeg[kUnitAt + i] = char(fields[i]);
    }
    return jpeg;
}

QByteArray freeImageFile(FREE_IMAGE_FORMAT format, const QImage& picture, unsigned dotsPerMetreX,
                         unsigned dotsPerMetreY)
{
    const Bitmap bitmap = fromQImage(picture, 24);
    FreeImage_SetDotsPerMeterX(bitmap.get(), dotsPerMetreX);
    FreeImage_SetDotsPerMeterY(bitmap.get(), dotsPerMetreY);
    FIMEMORY* memory = FreeImage_OpenMemory();
    const auto closed = qScopeGuard([memory] { FreeImage_CloseMemory(memory); });
    BYTE* data = nullptr;
    DWORD size = 0;
    if (!FreeImage_SaveToMemory(format, bitmap.get(), memory, 0) || !FreeImage_AcquireMemory(memory, &data, &size)) {
        return {};
    }
    return {reinterpret_cast<const char*>(data), qsizetype(size)};
}

QByteArray withPngPhysUnit(QByteArray png, quint8 unit)
{
    const qsizetype type = png.indexOf("pHYs");
    if (type < 4 || png.size() < type + 4 + 9 + 4) {
        return {};
    }
    png[type + 4 + 8] = char(unit);
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(png.constData() + type), 4 + 9));
    for (int i = 0; i < 4; ++i) {
        png[type + 4 + 9 + i] = char(crc >> (24 - 8 * i));
    }
    return png;
}

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// How a JPEG sample is stored.
struct JpegLayout
{
    J_COLOR_SPACE input = JCS_RGB;
    int components = 3;
    J_COLOR_SPACE stored = JCS_YCbCr;
    bool adobeMarker = false;
    int lumaSampling = 2; // 2: 4:2:0, 1: 4:4:4
    bool progressive = false;
    unsigned restartInterval = 0;
    bool arithmetic = false;
};

// Encodes interleaved 8-bit samples (components per pixel, rows top first) with libjpeg at quality 95.
QByteArray encodeJpeg(const std::vector<JSAMPLE>& samples, int width, int height, const JpegLayout& layout)
{
    jpeg_compress_struct cinfo = {};
    jpeg_error_mgr errors = {};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = layout.components;
    cinfo.in_color_space = layout.input;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, layout.stored);
    cinfo.write_Adobe_marker = layout.adobeMarker ? TRUE : FALSE;
    for (int c = 0; c < cinfo.num_components; ++c) {
        // Luma (and K) at the chosen sampling, the colour differences at one.
        const bool full = c == 0 || c == 3 || layout.stored == JCS_CMYK;
        cinfo.comp_info[c].h_samp_factor = full ? layout.lumaSampling : 1;
        cinfo.comp_info[c].v_samp_factor = full ? layout.lumaSampling : 1;
    }
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (layout.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    cinfo.restart_interval = layout.restartInterval;
    cinfo.arith_code = layout.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    const int stride = width * layout.components;
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(samples.data() + std::size_t(cinfo.next_scanline) * std::size_t(stride));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

// ZSoft PCX, version 5: per row the red, green and blue planes, each run-length encoded on its own.
QByteArray pcx24(const QImage& picture)
{
    const int width = picture.width();
    const int height = picture.height();
    const int bytesPerLine = (width + 1) & ~1; // even, as the format asks
    QByteArray header(128, '\0');
    auto put16 = [&header](int at, int value) {
        header[at] = char(value & 0xff);
        header[at + 1] = char(value >> 8);
    };
    header[0] = char(10); // manufacturer
    header[1] = char(5);  // version
    header[2] = char(1);  // run-length encoding
    header[3] = char(8);  // bits per pixel and plane
    put16(8, width - 1);
    put16(10, height - 1);
    put16(12, 72);
    put16(14, 72);
    header[65] = char(3); // planes
    put16(66, bytesPerLine);
    put16(68, 1); // colour
    QByteArray bytes = header;
    for (int y = 0; y < height; ++y) {
        for (int plane = 0; plane < 3; ++plane) {
            QByteArray line(bytesPerLine, '\0');
            for (int x = 0; x < width; ++x) {
                const QRgb c = picture.pixel(x, y);
                line[x] = char(plane == 0 ? qRed(c) : (plane == 1 ? qGreen(c) : qBlue(c)));
            }
            for (int x = 0; x < bytesPerLine;) {
                int run = 1;
                while (x + run < bytesPerLine && run < 63 && line[x + run] == line[x]) {
                    ++run;
                }
                if (run > 1 || uchar(line[x]) >= 0xc0) {
                    bytes += char(0xc0 | run);
                }
                bytes += line[x];
                x += run;
            }
        }
    }
    return bytes;
}

std::vector<JSAMPLE> rgbSamples(const QImage& picture)
{
    std::vector<JSAMPLE> samples;
    samples.reserve(std::size_t(picture.width()) * std::size_t(picture.height()) * 3);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            samples.insert(samples.end(), {JSAMPLE(qRed(c)), JSAMPLE(qGreen(c)), JSAMPLE(qBlue(c))});
        }
    }
    return samples;
}

// The picture as ink: c, m, y with the grey part taken out into k. `inverted` stores 255 - ink, as Adobe does.
// *shown gets the colours that ink gives without a colour profile: each channel (1 - ink)(1 - k).
std::vector<JSAMPLE> cmykSamples(const QImage& picture, bool inverted, QImage* shown)
{
    std::vector<JSAMPLE> samples;
    *shown = QImage(picture.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            int ink[4] = {255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c), 0};
            ink[3] = std::min({ink[0], ink[1], ink[2]});
            for (int i = 0; i < 3; ++i) {
                ink[i] -= ink[3];
            }
            const auto channel = [&](int i) { return ((255 - ink[i]) * (255 - ink[3]) + 127) / 255; };
            shown->setPixel(x, y, qRgb(channel(0), channel(1), channel(2)));
            for (int value : ink) {
                samples.push_back(JSAMPLE(inverted ? 255 - value : value));
            }
        }
    }
    return samples;
}

} // namespace

QByteArray tiledTiff(const QImage& picture, int tile)
{
    const int width = picture.width();
    const int height = picture.height();
    const int across = (width + tile - 1) / tile;
    const int down = (height + tile - 1) / tile;
    const quint32 tileBytes = quint32(tile * tile * 3);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 tilesStart = 8;
    const quint32 tilesEnd = tilesStart + tileBytes * quint32(across * down);
    const quint32 bitsAt = tilesEnd;
    const quint32 offsetsAt = bitsAt + 6;
    const quint32 countsAt = offsetsAt + 4 * quint32(across * down);
    const quint32 ifdAt = countsAt + 4 * quint32(across * down);
    out.writeRawData("II", 2);
    out << quint16(42) << ifdAt;
    for (int ty = 0; ty < down; ++ty) {
        for (int tx = 0; tx < across; ++tx) {
            for (int y = ty * tile; y < (ty + 1) * tile; ++y) {
                for (int x = tx * tile; x < (tx + 1) * tile; ++x) {
                    const QRgb c = x < width && y < height ? picture.pixel(x, y) : qRgb(0, 0, 0);
                    out << quint8(qRed(c)) << quint8(qGreen(c)) << quint8(qBlue(c));
                }
            }
        }
    }
    out << quint16(8) << quint16(8) << quint16(8);
    for (int i = 0; i < across * down; ++i) {
        out << quint32(tilesStart + tileBytes * quint32(i));
    }
    for (int i = 0; i < across * down; ++i) {
        out << tileBytes;
    }
    struct Entry
    {
        quint16 tag, type;
        quint32 count, value;
    };
    constexpr quint16 Short = 3;
    constexpr quint16 Long = 4;
    const quint32 tiles = quint32(across * down);
    const Entry entries[] = {
        {256, Long, 1, quint32(width)},
        {257, Long, 1, quint32(height)},
        {258, Short, 3, bitsAt},
        {259, Short, 1, 1},
        {262, Short, 1, 2},
        {277, Short, 1, 3},
        {284, Short, 1, 1},
        {322, Short, 1, quint32(tile)},
        {323, Short, 1, quint32(tile)},
        {324, Long, tiles, offsetsAt},
        {325, Long, tiles, countsAt},
    };
    out << quint16(std::size(entries));
    for (const Entry& e : entries) {
        out << e.tag << e.type << e.count;
        if (e.type == Short && e.count == 1) {
            out << quint16(e.value) << quint16(0);
        } else {
            out << e.value; // the value itself, or where the values are
        }
    }
    out << quint32(0);
    return bytes;
}

namespace {

// A 24-bit BMP stored top row first (negative height), which FreeImage does not write.
QByteArray topDownBmp(const QImage& picture)
{
    const int width = picture.width();
    const int height = picture.height();
    const int stride = (width * 3 + 3) & ~3;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(54 + stride * height) << quint32(0) << quint32(54);
    out << quint32(40) << qint32(width) << qint32(-height) << quint16(1) << quint16(24) << quint32(0)
        << quint32(stride * height) << qint32(3780) << qint32(3780) << quint32(0) << quint32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb c = picture.pixel(x, y);
            out << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c));
        }
        for (int pad = width * 3; pad < stride; ++pad) {
            out << quint8(0);
        }
    }
    return bytes;
}

Bitmap greyBitmap(const QImage& picture)
{
    const Bitmap rgb = fromQImage(picture, 24);
    return Bitmap(FreeImage_ConvertToGreyscale(rgb.get()));
}

// The picture with a 16-colour palette in a 4-bit bitmap.
Bitmap fourBit(const QImage& picture)
{
    const Bitmap rgb = fromQImage(picture, 24);
    const Bitmap quantised(FreeImage_ColorQuantizeEx(rgb.get(), FIQ_WUQUANT, 16));
    const unsigned width = FreeImage_GetWidth(quantised.get());
    const unsigned height = FreeImage_GetHeight(quantised.get());
    Bitmap four(FreeImage_Allocate(int(width), int(height), 4));
    std::copy_n(FreeImage_GetPalette(quantised.get()), 16, FreeImage_GetPalette(four.get()));
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            BYTE index = 0;
            FreeImage_GetPixelIndex(quantised.get(), x, y, &index);
            FreeImage_SetPixelIndex(four.get(), x, y, &index);
        }
    }
    return four;
}

QImage withAlpha(const QImage& picture, const std::function<int(int x, int y)>& alpha)
{
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            const QRgb c = result.pixel(x, y);
            result.setPixel(x, y, qRgba(qRed(c), qGreen(c), qBlue(c), alpha(x, y)));
        }
    }
    return result;
}

} // namespace

// Writes a sample file and returns the picture the normalised BMP has to show.
QImage writeSample(Sample sample, const QString& path, QSize size)
{
    const int width = size.width();
    const int height = size.height();
    QImage picture = makeTestPicture(width, height);
    switch (sample) {
    case Sample::QtJpeg:
        return picture.save(path, "JPG", 95) ? picture : QImage();
    case Sample::QtPng:
        return picture.save(path, "PNG") ? picture : QImage();
    case Sample::QtBmp:
        return picture.save(path, "BMP") ? picture : QImage();
    case Sample::QtPngAlpha: {
        QImage alpha = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb c = alpha.pixel(x, y);
                alpha.setPixel(x, y, qRgba(qRed(c), qGreen(c), qBlue(c), 255 * x / (width - 1)));
            }
        }
        return alpha.save(path, "PNG") ? alpha : QImage();
    }
    case Sample::QtPngPalette: {
        const QImage palette = picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
        return palette.save(path, "PNG") ? palette.convertToFormat(QImage::Format_RGB32) : QImage();
    }
    case Sample::QtPngGrey: {
        const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
        return grey.save(path, "PNG") ? grey.convertToFormat(QImage::Format_RGB32) : QImage();
    }
    case Sample::FreeImageGif:
    case Sample::FreeImageGifTransparent: {
        const Bitmap rgb = fromQImage(picture, 24);
        const Bitmap quantised(FreeImage_ColorQuantize(rgb.get(), FIQ_WUQUANT));
        if (sample == Sample::FreeImageGifTransparent) {
            BYTE redCorner = 0;
            FreeImage_GetPixelIndex(quantised.get(), 0, height - 1, &redCorner);
            FreeImage_SetTransparentIndex(quantised.get(), redCorner);
        }
        return save(FIF_GIF, quantised.get(), path) ? toQImage(quantised.get()) : QImage();
    }
    case Sample::FreeImageAnimatedGif:
    case Sample::FreeImageMultiPageTiff: {
        const bool gif = sample == Sample::FreeImageAnimatedGif;
        QImage second(40, 30, QImage::Format_RGB32);
        second.fill(qRgb(0, 200, 200));
        Bitmap pages[] = {fromQImage(picture, 24), fromQImage(second, 24)};
        if (gif) {
            for (Bitmap& page : pages) {
                page.reset(FreeImage_ColorQuantize(page.get(), FIQ_WUQUANT));
            }
        }
        FIMULTIBITMAP* file = FreeImage_OpenMultiBitmap(gif ? FIF_GIF : FIF_TIFF, QFile::encodeName(path).constData(),
                                                        TRUE, FALSE, TRUE, 0);
        if (file == nullptr) {
            return {};
        }
        for (const Bitmap& page : pages) {
            FreeImage_AppendPage(file, page.get());
        }
        FreeImage_CloseMultiBitmap(file, 0);
        return gif ? toQImage(pages[0].get()) : picture;
    }
    case Sample::FreeImageTiff16: {
        const Bitmap bitmap = sixteenBit(picture, false);
        return save(FIF_TIFF, bitmap.get(), path) ? picture : QImage();
    }
    case Sample::FreeImagePng16Grey: {
        const Bitmap bitmap = sixteenBit(picture, true);
        return save(FIF_PNG, bitmap.get(), path) ? greyPicture(width, height) : QImage();
    }
    case Sample::JpegBaseline420:
    case Sample::JpegBaseline444:
    case Sample::JpegProgressive:
    case Sample::JpegRestartMarkers:
    case Sample::JpegArithmetic: {
        JpegLayout layout;
        layout.lumaSampling = sample == Sample::JpegBaseline444 ? 1 : 2;
        layout.progressive = sample == Sample::JpegProgressive;
        layout.restartInterval = sample == Sample::JpegRestartMarkers ? 1 : 0; // a marker after every block row
        layout.arithmetic = sample == Sample::JpegArithmetic;
        return writeFile(path, encodeJpeg(rgbSamples(picture), width, height, layout)) ? picture : QImage();
    }
    case Sample::JpegGrey: {
        const QImage grey = greyPicture(width, height);
        std::vector<JSAMPLE> samples;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                samples.push_back(JSAMPLE(qRed(grey.pixel(x, y))));
            }
        }
        JpegLayout layout;
        layout.input = JCS_GRAYSCALE;
        layout.components = 1;
        layout.stored = JCS_GRAYSCALE;
        return writeFile(path, encodeJpeg(samples, width, height, layout)) ? grey : QImage();
    }
    case Sample::JpegCmyk:
    case Sample::JpegCmykAdobe:
    case Sample::JpegYcckAdobe: {
        JpegLayout layout;
        layout.input = JCS_CMYK;
        layout.components = 4;
        layout.stored = sample == Sample::JpegYcckAdobe ? JCS_YCCK : JCS_CMYK;
        layout.adobeMarker = sample != Sample::JpegCmyk;
        layout.lumaSampling = 1;
        QImage shown;
        const std::vector<JSAMPLE> samples = cmykSamples(picture, layout.adobeMarker, &shown);
        return writeFile(path, encodeJpeg(samples, width, height, layout)) ? shown : QImage();
    }
    case Sample::JpegStrayBytes: {
        QByteArray jpeg = qtJpeg(picture);
        return writeFile(path, jpeg.insert(afterJfif(jpeg), "\x12\x34", 2)) ? picture : QImage();
    }
    case Sample::JpegExifRotated: {
        // Stored as the camera held it, a quarter turn anticlockwise; orientation 6 turns it back.
        const QImage stored = picture.transformed(QTransform().rotate(-90));
        return writeFile(path, jpegWithOrientation(stored, 6)) ? picture : QImage();
    }
    case Sample::PngPaletteAlpha: {
        const Bitmap rgb = fromQImage(picture, 24);
        const Bitmap quantised(FreeImage_ColorQuantize(rgb.get(), FIQ_WUQUANT));
        // The red corner clear, the green one half see-through, everything else opaque.
        BYTE table[256];
        std::fill_n(table, 256, BYTE(255));
        BYTE corner = 0;
        FreeImage_GetPixelIndex(quantised.get(), 0, unsigned(height - 1), &corner);
        table[corner] = 0;
        FreeImage_GetPixelIndex(quantised.get(), unsigned(width - 1), unsigned(height - 1), &corner);
        table[corner] = 96;
        FreeImage_SetTransparencyTable(quantised.get(), table, 256);
        return save(FIF_PNG, quantised.get(), path) ? toQImage(quantised.get()) : QImage();
    }
    case Sample::PngGreyAlpha: {
        const QImage grey = greyPicture(width, height);
        const QImage expected = withAlpha(grey, [&](int, int y) { return 255 * y / std::max(1, height - 1); });
        std::vector<png_byte> samples;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                samples.push_back(png_byte(qRed(expected.pixel(x, y))));
                samples.push_back(png_byte(qAlpha(expected.pixel(x, y))));
            }
        }
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        image.width = png_uint_32(width);
        image.height = png_uint_32(height);
        image.format = PNG_FORMAT_GA;
        const bool written =
            png_image_write_to_file(&image, QFile::encodeName(path).constData(), 0, samples.data(), 0, nullptr) != 0;
        png_image_free(&image);
        return written ? expected : QImage();
    }
    case Sample::PngRgba16: {
        const QImage expected = withAlpha(picture, [&](int x, int) { return 255 * x / std::max(1, width - 1); });
        Bitmap bitmap(FreeImage_AllocateT(FIT_RGBA16, width, height));
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<FIRGBA16*>(FreeImage_GetScanLine(bitmap.get(), height - 1 - y));
            for (int x = 0; x < width; ++x) {
                const QRgb c = expected.pixel(x, y);
                line[x] = {WORD(qRed(c) * 257), WORD(qGreen(c) * 257), WORD(qBlue(c) * 257), WORD(qAlpha(c) * 257)};
            }
        }
        return save(FIF_PNG, bitmap.get(), path) ? expected : QImage();
    }
    case Sample::PngInterlaced: {
        const Bitmap bitmap = fromQImage(picture, 24);
        return FreeImage_Save(FIF_PNG, bitmap.get(), QFile::encodeName(path).constData(), PNG_INTERLACED) ? picture
                                                                                                          : QImage();
    }
    case Sample::Tiff1Bit:
    case Sample::Bmp1: {
        const Bitmap grey = greyBitmap(picture);
        const Bitmap bits(FreeImage_Threshold(grey.get(), 128));
        return save(sample == Sample::Tiff1Bit ? FIF_TIFF : FIF_BMP, bits.get(), path) ? toQImage(bits.get())
                                                                                       : QImage();
    }
    case Sample::TiffFloat:
    case Sample::TiffFloatGrey: {
        const bool grey = sample == Sample::TiffFloatGrey;
        const QImage expected = grey ? greyPicture(width, height) : picture;
        Bitmap bitmap(FreeImage_AllocateT(grey ? FIT_FLOAT : FIT_RGBF, width, height));
        for (int y = 0; y < height; ++y) {
            BYTE* line = FreeImage_GetScanLine(bitmap.get(), height - 1 - y);
            for (int x = 0; x < width; ++x) {
                const QRgb c = expected.pixel(x, y);
                if (grey) {
                    reinterpret_cast<float*>(line)[x] = float(qRed(c)) / 255.0f;
                } else {
                    reinterpret_cast<FIRGBF*>(line)[x] = {float(qRed(c)) / 255.0f, float(qGreen(c)) / 255.0f,
                                                          float(qBlue(c)) / 255.0f};
                }
            }
        }
        return save(FIF_TIFF, bitmap.get(), path) ? expected : QImage();
    }
    case Sample::TiffLzw:
    case Sample::TiffDeflate: {
        const Bitmap bitmap = fromQImage(picture, 24);
        const int flags = sample == Sample::TiffLzw ? TIFF_LZW : TIFF_ADOBE_DEFLATE;
        return FreeImage_Save(FIF_TIFF, bitmap.get(), QFile::encodeName(path).constData(), flags) ? picture : QImage();
    }
    case Sample::TiffTiled:
        return writeFile(path, tiledTiff(picture, 16)) ? picture : QImage();
    case Sample::Bmp4: {
        const Bitmap four = fourBit(picture);
        return save(FIF_BMP, four.get(), path) ? toQImage(four.get()) : QImage();
    }
    case Sample::Bmp8: {
        const Bitmap rgb = fromQImage(picture, 24);
        const Bitmap quantised(FreeImage_ColorQuantize(rgb.get(), FIQ_WUQUANT));
        return save(FIF_BMP, quantised.get(), path) ? toQImage(quantised.get()) : QImage();
    }
    case Sample::Bmp16: {
        const Bitmap rgb = fromQImage(picture, 24);
        const Bitmap bits(FreeImage_ConvertTo16Bits565(rgb.get()));
        return save(FIF_BMP, bits.get(), path) ? toQImage(bits.get()) : QImage();
    }
    case Sample::Bmp24: {
        const Bitmap bitmap = fromQImage(picture, 24);
        return save(FIF_BMP, bitmap.get(), path) ? picture : QImage();
    }
    case Sample::Bmp32:
    case Sample::Bmp32UnusedAlpha: {
        const int alpha = sample == Sample::Bmp32 ? 255 : 0;
        const Bitmap bitmap = fromQImage(withAlpha(picture, [alpha](int, int) { return alpha; }), 32);
        return save(FIF_BMP, bitmap.get(), path) ? picture : QImage();
    }
    case Sample::BmpTopDown:
        return writeFile(path, topDownBmp(picture)) ? picture : QImage();
    case Sample::Pcx24:
        return writeFile(path, pcx24(picture)) ? picture : QImage();
    case Sample::AvifGrid:
        return writeAvifGrid(path, picture, QSize(8, 6)).isEmpty() ? picture : QImage();
    }
    return {};
}

QImage writeLargeJpeg(const QString& path, QSize size)
{
    const QImage small = makeTestPicture(96, 72);
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file == nullptr) {
        return {};
    }
    jpeg_compress_struct cinfo = {};
    jpeg_error_mgr errors = {};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(size.width());
    cinfo.image_height = JDIMENSION(size.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(size.width()) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline) * small.height() / size.height();
        for (int x = 0; x < size.width(); ++x) {
            const QRgb c = small.pixel(x * small.width() / size.width(), y);
            row[std::size_t(x) * 3] = JSAMPLE(qRed(c));
            row[std::size_t(x) * 3 + 1] = JSAMPLE(qGreen(c));
            row[std::size_t(x) * 3 + 2] = JSAMPLE(qBlue(c));
        }
        JSAMPLE* rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0 ? small : QImage();
}

namespace {

// A JPEG's ICC profile replaced: Qt's APP2 segment dropped, one of `profile` put after the JFIF header.
QByteArray withJpegProfile(QByteArray jpeg, const QByteArray& profile)
{
    for (int at = 2; at + 4 < jpeg.size() && uchar(jpeg[at]) == 0xff;) {
        const int length = uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]);
        if (uchar(jpeg[at + 1]) == 0xe2) {
            jpeg.remove(at, length + 2);
            continue;
        }
        if (uchar(jpeg[at + 1]) == 0xda) {
            break;
        }
        at += length + 2;
    }
    return withSegment(jpeg, 0xe2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + profile);
}

QString runEncoder(const QString& program, const QStringList& arguments)
{
    QProcess encoder;
    encoder.setProcessChannelMode(QProcess::MergedChannels);
    encoder.start(program, arguments);
    if (!encoder.waitForFinished(120000) || encoder.exitStatus() != QProcess::NormalExit || encoder.exitCode() != 0) {
        return program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(encoder.readAll()) +
               encoder.errorString();
    }
    return {};
}

} // namespace

QString writeEncoded(const QString& path, const QImage& picture, int orientation, bool nclx, const QByteArray& profile)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString png = path + QStringLiteral(".source.png");
    const QString jpg = path + QStringLiteral(".source.jpg");
    const auto cleanUp = qScopeGuard([&] {
        QFile::remove(png);
        QFile::remove(jpg);
    });
    QImage source = picture;
    if (nclx) {
        source.setColorSpace(QColorSpace()); // the pixels stay as they are, untagged
    }
    QByteArray jpeg = orientation != 1 ? jpegWithOrientation(source, orientation) : qtJpeg(source);
    if (!profile.isEmpty()) {
        jpeg = withJpegProfile(jpeg, profile);
    }
    const bool fromJpeg = suffix == QLatin1String("jpg") || orientation != 1 || !profile.isEmpty();
    if (!writeFile(jpg, jpeg) || !source.save(png, "PNG")) {
        return QStringLiteral("the encoders' source cannot be written");
    }
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("png")) {
        return QFile::rename(suffix == QLatin1String("jpg") ? jpg : png, path) ? QString()
                                                                               : QStringLiteral("cannot rename");
    }
    // Display P3 as nclx: its primaries, sRGB's transfer, BT.601 matrix.
    if (suffix == QLatin1String("heic")) {
        QStringList arguments{QStringLiteral("-q"), QStringLiteral("95"), png, QStringLiteral("-o"), path};
        if (nclx) {
            arguments << QStringLiteral("--colour_primaries=12") << QStringLiteral("--transfer_characteristic=13")
                      << QStringLiteral("--matrix_coefficients=6");
        }
        return runEncoder(QStringLiteral("heif-enc"), arguments);
    }
    if (suffix == QLatin1String("avif")) {
        QStringList arguments{QStringLiteral("-s"), QStringLiteral("8"),     QStringLiteral("--min"),
                              QStringLiteral("0"),  QStringLiteral("--max"), QStringLiteral("8")};
        if (orientation == 6) {
            arguments << QStringLiteral("--irot") << QStringLiteral("3"); // three quarters anticlockwise
        }
        if (nclx) {
            arguments << QStringLiteral("--cicp") << QStringLiteral("12/13/6");
        }
        return runEncoder(QStringLiteral("avifenc"), arguments << png << path);
    }
    if (suffix == QLatin1String("webp")) {
        QStringList arguments{QStringLiteral("-quiet"), QStringLiteral("-metadata"), QStringLiteral("icc,exif")};
        arguments << (fromJpeg ? QStringList{QStringLiteral("-q"), QStringLiteral("95")}
                               : QStringList{QStringLiteral("-lossless")});
        return runEncoder(QStringLiteral("cwebp"), arguments << (fromJpeg ? jpg : png) << QStringLiteral("-o") << path);
    }
    if (suffix == QLatin1String("jxl")) {
        // Lossless from the PNG; from a JPEG, its own data recompressed.
        QStringList arguments{fromJpeg ? jpg : png, path};
        if (!fromJpeg) {
            arguments << QStringLiteral("-d") << QStringLiteral("0");
        }
        return runEncoder(QStringLiteral("cjxl"), arguments);
    }
    return QStringLiteral("no encoder for ") + suffix;
}

QString writeAvifGrid(const QString& path, const QImage& picture, QSize tiles)
{
    const QString png = path + QStringLiteral(".source.png");
    const auto cleanUp = qScopeGuard([&] { QFile::remove(png); });
    if (!picture.save(png, "PNG")) {
        return QStringLiteral("the encoder's source cannot be written");
    }
    const QString grid = QStringLiteral("%1x%2").arg(tiles.width()).arg(tiles.height());
    return runEncoder(QStringLiteral("avifenc"),
                      {QStringLiteral("-s"), QStringLiteral("10"), QStringLiteral("--min"), QStringLiteral("0"),
                       QStringLiteral("--max"), QStringLiteral("8"), QStringLiteral("-g"), grid, png, path});
}

bool cutShort(const QString& path, int numerator, int denominator)
{
    return QFile::resize(path, QFileInfo(path).size() * numerator / denominator);
}

bool writePngWithGamma(const QImage& picture, const QString& path, quint32 gamma)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        return false;
    }
    QByteArray chunk;
    QDataStream out(&chunk, QIODevice::WriteOnly);
    const QByteArray typed =
        QByteArrayLiteral("gAMA") + QByteArray::fromHex(QByteArray::number(gamma, 16).rightJustified(8, '0'));
    out << quint32(4);
    out.writeRawData(typed.constData(), int(typed.size()));
    out << quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size())));
    return writeFile(path, png.insert(8 + 25, chunk)); // after the signature and IHDR
}
