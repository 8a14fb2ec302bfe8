#pragma once

#include <FreeImage.h>
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

// Test images of every kind the program reads, made by the tests themselves with Qt or FreeImage.

struct BitmapDeleter
{
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

Bitmap loadBmp(const QString& path);
// A FreeImage bitmap as a QImage (ARGB), rows top-down.
QImage toQImage(FIBITMAP* bitmap);
// An 8-bit-per-channel picture as a FreeImage bitmap; bpp 24 or 32.
Bitmap fromQImage(const QImage& image, int bpp);
// 16 bits per channel, each value v of the picture stored as v * 257.
Bitmap sixteenBit(const QImage& image, bool grey);
bool save(FREE_IMAGE_FORMAT format, FIBITMAP* bitmap, const QString& path);
// The test picture in grey as sixteenBit() stores it.
QImage greyPicture(int width, int height);
// A JPEG carrying an EXIF orientation tag, built by inserting an APP1 segment after the JFIF header; with exifDpi,
// the EXIF block states that resolution across and down too (in inches, the unit it takes when it names none).
QByteArray jpegWithOrientation(const QImage& image, int orientation, quint32 exifDpi = 0);
// The JPEG with its JFIF segment's density made this: unit 0 gives only the pixels' aspect, 1 dots per inch, 2 per
// centimetre. Empty when it starts with no JFIF segment.
QByteArray withJfifDensity(QByteArray jpeg, quint8 unit, quint16 x, quint16 y);
// The picture as FreeImage writes it in this format, stating dots per metre as given. FreeImage writes a PNG with
// none stated without pHYs, a JPEG's JFIF density and a TIFF's resolution as 0, and both in inches.
QByteArray freeImageFile(FREE_IMAGE_FORMAT format, const QImage& picture, unsigned dotsPerMetreX,
                         unsigned dotsPerMetreY);
// The PNG with its pHYs chunk's unit made this (1 the metre, 0 only the pixels' aspect). Empty when it has none.
QByteArray withPngPhysUnit(QByteArray png, quint8 unit);
// A tiled, uncompressed RGB TIFF (FreeImage does not write tiles), stating no resolution.
QByteArray tiledTiff(const QImage& picture, int tile);
// A small, well-formed file of the format ("png", "tif", "gif", "bmp" or "webp", at most 16383 a side) whose header
// claims an RGB picture of width x height pixels (grey for TIFF), followed by a few bytes of pixel data.
QByteArray headerClaiming(const QString& format, quint32 width, quint32 height);
// A whole 1-bit grey PNG of width x height black pixels, as small as deflate makes it (29 KB for 240 megapixels).
QByteArray blankPng(quint32 width, quint32 height);
// The boxes of a HEIF file that lists this many items, the first its primary picture, and holds no picture data.
QByteArray heifListing(quint16 items);

enum class Sample
{
    QtJpeg,
    QtPng,
    QtPngAlpha,
    QtPngPalette,
    QtPngGrey,
    QtBmp,
    FreeImageGif,
    FreeImageGifTransparent,
    FreeImageAnimatedGif,
    FreeImageTiff16,
    FreeImagePng16Grey,
    FreeImageMultiPageTiff,
    // JPEG written with libjpeg, quality 95.
    JpegBaseline420,
    JpegBaseline444,
    JpegProgressive,
    JpegGrey,
    JpegRestartMarkers,
    JpegCmyk,        // plain CMYK ink values, no Adobe marker
    JpegCmykAdobe,   // inverted CMYK with an Adobe marker, as Photoshop writes it
    JpegYcckAdobe,   // inverted CMYK stored as YCCK, Adobe marker with transform 2
    JpegExifRotated, // stored sideways with orientation 6: the expected picture is turned upright
    JpegStrayBytes,  // two bytes between two markers, which libjpeg warns about and skips
    JpegArithmetic,  // arithmetic coding in place of Huffman's
    // PNG
    PngPaletteAlpha, // palette with a tRNS chunk: clear, half and fully opaque entries
    PngGreyAlpha,    // colour type 4
    PngRgba16,       // 16 bits per channel with alpha
    PngInterlaced,   // Adam7
    // TIFF
    Tiff1Bit,
    TiffFloat,     // 32-bit float RGB, values 0..1
    TiffFloatGrey, // 32-bit float grey, values 0..1
    TiffLzw,
    TiffDeflate,
    TiffTiled, // 16 x 16 tiles, written by hand (partial tiles at the edges)
    // BMP
    Bmp1,
    Bmp4,
    Bmp8,
    Bmp16,
    Bmp24,
    Bmp32,
    Bmp32UnusedAlpha, // alpha byte 0 everywhere, as many writers leave it: not a transparent picture
    BmpTopDown,       // negative height, rows stored top first
    // PCX
    Pcx24, // three 8-bit planes, run-length encoded, written by hand (nothing here writes PCX)
    // AVIF
    AvifGrid, // 8 x 6 tiles, as phones make their HEIC photos (each side of the picture splits into whole tiles)
};

// Writes a sample file of makeTestPicture() and returns the picture the page has to show (transparent parts are
// seen on white). A null image when the file could not be written.
QImage writeSample(Sample sample, const QString& path, QSize size = QSize(96, 64));

// A camera-sized JPEG written row by row, so that the test never holds its pixels: the test picture at 96 x 72,
// enlarged without smoothing to size. Returns that small picture, or a null image when the file was not written.
QImage writeLargeJpeg(const QString& path, QSize size);

// The picture as the encoders people's pictures come from write it, for the formats with a decoder of their own:
// the path's suffix says which (heic and avif through heif-enc and avifenc, webp through cwebp, jxl through cjxl;
// jpg and png through Qt). The picture's colour space, when it has one, is embedded as an ICC profile; with
// `nclx`, HEIC and AVIF describe it by primaries and transfer instead. Orientation 6 (a quarter clockwise) goes
// in as the format carries it: EXIF for jpg, webp and jxl (made from a JPEG), irot for avif. `profile`, when
// given, replaces the embedded ICC profile (jpg and webp only). Empty on success, otherwise what failed.
QString writeEncoded(const QString& path, const QImage& picture, int orientation = 1, bool nclx = false,
                     const QByteArray& profile = {});

// The picture as avifenc writes it as a grid of columns x rows tiles (each at least 64 pixels a side), the way phones
// write their HEIC photos. Empty on success, otherwise what failed.
QString writeAvifGrid(const QString& path, const QImage& picture, QSize tiles);

// The file with its length cut to numerator / denominator.
bool cutShort(const QString& path, int numerator, int denominator);

// The picture as Qt writes it as PNG (a palette for an indexed picture), with a gAMA chunk of this value
// (100000 / gamma) put before its palette and pixels.
bool writePngWithGamma(const QImage& picture, const QString& path, quint32 gamma);
