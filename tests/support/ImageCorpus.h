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
// A JPEG carrying an EXIF orientation tag, built by inserting an APP1 segment after the JFIF header.
QByteArray jpegWithOrientation(const QImage& image, int orientation);

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
};

// Writes a sample file of makeTestPicture() and returns the picture the page has to show.
QImage writeSample(Sample sample, const QString& path, QSize size = QSize(96, 64));
