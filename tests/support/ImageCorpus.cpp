#include "support/ImageCorpus.h"

#include "support/TestFolder.h"

#include <QBuffer>
#include <QFile>


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

// A JPEG carrying an EXIF orientation tag, built by inserting an APP1 segment after the JFIF header.
QByteArray jpegWithOrientation(const QImage& image, int orientation)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    QByteArray tiff = QByteArray("MM\x00\x2a\x00\x00\x00\x08", 8); // big-endian header, first IFD at 8
    tiff += QByteArray("\x00\x01", 2);                             // one entry
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8);     // Orientation, SHORT, count 1
    tiff += char(0);
    tiff += char(orientation);
    tiff += QByteArray(2, '\0');
    tiff += QByteArray(4, '\0'); // no next IFD
    const QByteArray payload = QByteArray("Exif\x00\x00", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xff\xe1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xff);
    segment += payload;
    int insertAt = 2;
    if (uchar(jpeg[2]) == 0xff && uchar(jpeg[3]) == 0xe0) { // skip the JFIF APP0 segment
        insertAt = 4 + (uchar(jpeg[4]) << 8 | uchar(jpeg[5]));
    }
    return jpeg.insert(insertAt, segment);
}



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
    }
    return {};
}

