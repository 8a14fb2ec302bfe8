#include "conversion/Normalisation.h"
#include "support/TestFolder.h"

#include <FreeImage.h>
#include <QBuffer>
#include <QFileInfo>
#include <QtTest>

#include <memory>

namespace {

struct BitmapDeleter
{
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

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

// Writes a sample file and returns the picture the normalised BMP has to show.
QImage writeSample(Sample sample, const QString& path)
{
    constexpr int width = 96;
    constexpr int height = 64;
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

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance && qAbs(qAlpha(actual) - qAlpha(expected)) <= tolerance;
}

QString describe(QRgb c)
{
    return QStringLiteral("(%1,%2,%3,%4)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)).arg(qAlpha(c));
}

} // namespace

class TestNormalisation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatForExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("format");
        QTest::newRow("bmp") << "/p/a.bmp" << int(FIF_BMP);
        QTest::newRow("dib") << "/p/a.dib" << int(FIF_BMP);
        QTest::newRow("JPG in capitals") << "/p/PHOTO.JPG" << int(FIF_JPEG);
        QTest::newRow("jpeg") << "/p/a.jpeg" << int(FIF_JPEG);
        QTest::newRow("gif") << "/p/a.gif" << int(FIF_GIF);
        QTest::newRow("png") << "/p/a.Png" << int(FIF_PNG);
        QTest::newRow("ico") << "/p/a.ico" << int(FIF_ICO);
        QTest::newRow("tif") << "/p/a.tif" << int(FIF_TIFF);
        QTest::newRow("tiff") << "/p/a.TIFF" << int(FIF_TIFF);
        QTest::newRow("iff") << "/p/a.iff" << int(FIF_IFF);
        QTest::newRow("pcx") << "/p/a.pcx" << int(FIF_PCX);
        QTest::newRow("psd") << "/p/a.psd" << int(FIF_PSD);
        QTest::newRow("last dot counts") << "/p/a.png.bak" << int(FIF_UNKNOWN);
        QTest::newRow("dot only in the folder") << "/p/folder.png/picture" << int(FIF_UNKNOWN);
        QTest::newRow("no extension") << "/p/picture" << int(FIF_UNKNOWN);
        QTest::newRow("trailing dot") << "/p/picture." << int(FIF_UNKNOWN);
        QTest::newRow("not in the table") << "/p/a.webp" << int(FIF_UNKNOWN);
    }

    void formatForExtension()
    {
        QFETCH(QString, path);
        QFETCH(int, format);
        QCOMPARE(::formatForExtension(path), format);
    }

    void normalise_supportedFile_bmpShowsPicture_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("sample");
        QTest::addColumn<int>("bpp");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("JPEG") << "photo.JPG" << int(Sample::QtJpeg) << 24 << 16;
        QTest::newRow("PNG") << "a.png" << int(Sample::QtPng) << 24 << 0;
        QTest::newRow("PNG with alpha") << "alpha.png" << int(Sample::QtPngAlpha) << 32 << 0;
        QTest::newRow("PNG palette") << "palette.png" << int(Sample::QtPngPalette) << 8 << 0;
        QTest::newRow("PNG grey") << "grey.png" << int(Sample::QtPngGrey) << 8 << 0;
        QTest::newRow("PNG 16-bit grey") << "grey16.png" << int(Sample::FreeImagePng16Grey) << 8 << 1;
        QTest::newRow("BMP") << "a.bmp" << int(Sample::QtBmp) << 24 << 0;
        QTest::newRow("DIB") << "a.dib" << int(Sample::QtBmp) << 24 << 0;
        QTest::newRow("GIF") << "a.gif" << int(Sample::FreeImageGif) << 8 << 0;
        QTest::newRow("GIF with transparent colour") << "clear.gif" << int(Sample::FreeImageGifTransparent) << 32 << 0;
        QTest::newRow("animated GIF, first frame") << "anim.gif" << int(Sample::FreeImageAnimatedGif) << 8 << 0;
        QTest::newRow("TIFF 16-bit") << "deep.tiff" << int(Sample::FreeImageTiff16) << 24 << 0;
        QTest::newRow("multi-page TIFF, first page") << "pages.tif" << int(Sample::FreeImageMultiPageTiff) << 24 << 0;
        QTest::newRow("PNG named .jpg") << "misnamed.jpg" << int(Sample::QtPng) << 24 << 0;
        QTest::newRow("JPEG named .png") << "misnamed.png" << int(Sample::QtJpeg) << 24 << 16;
        QTest::newRow("PNG without extension") << "folder.v2/picture" << int(Sample::QtPng) << 24 << 0;
        QTest::newRow("BMP with unknown extension") << "picture.xyz" << int(Sample::QtBmp) << 24 << 0;
    }

    void normalise_supportedFile_bmpShowsPicture()
    {
        QFETCH(QString, fileName);
        QFETCH(int, sample);
        QFETCH(int, bpp);
        QFETCH(int, tolerance);
        TestFolder folder;
        const QString imagePath = folder.file(fileName);
        folder.mkdir(QFileInfo(fileName).path());
        const QImage expected = writeSample(Sample(sample), imagePath);
        QVERIFY(!expected.isNull());
        const QString bmpPath = folder.file(QStringLiteral("tmp.bmp"));

        QString error;
        const std::optional<NormalisedImage> result = normaliseImage(imagePath, bmpPath, &error);
        QVERIFY2(result.has_value(), qPrintable(error));
        QCOMPARE(result->widthPx, expected.width());
        QCOMPARE(result->heightPx, expected.height());

        const Bitmap bmp = loadBmp(bmpPath);
        QVERIFY(bmp != nullptr);
        QCOMPARE(int(FreeImage_GetBPP(bmp.get())), bpp);
        const QImage actual = toQImage(bmp.get());
        QCOMPARE(actual.size(), expected.size());
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                const QPoint at(expected.width() * (2 * column + 1) / 8, expected.height() * (2 * row + 1) / 8);
                QVERIFY2(near(actual.pixel(at), expected.pixel(at), tolerance),
                         qPrintable(QStringLiteral("at %1,%2: %3, expected %4")
                                        .arg(at.x())
                                        .arg(at.y())
                                        .arg(describe(actual.pixel(at)), describe(expected.pixel(at)))));
            }
        }
    }

    void normalise_jpegWithExifOrientation_comesOutUpright()
    {
        TestFolder folder;
        // Stored 96 x 64 with red at the top left; orientation 6 says: turn a quarter clockwise to show.
        const QString photo =
            folder.write(QStringLiteral("camera.jpg"), jpegWithOrientation(makeTestPicture(96, 64), 6));
        const QString bmpPath = folder.file(QStringLiteral("tmp.bmp"));

        QString error;
        const std::optional<NormalisedImage> result = normaliseImage(photo, bmpPath, &error);
        QVERIFY2(result.has_value(), qPrintable(error));
        QCOMPARE(result->widthPx, 64);
        QCOMPARE(result->heightPx, 96);
        const QImage upright = toQImage(loadBmp(bmpPath).get());
        QVERIFY2(near(upright.pixel(56, 8), qRgb(255, 0, 0), 24), qPrintable(describe(upright.pixel(56, 8))));
        QVERIFY2(near(upright.pixel(8, 8), qRgb(0, 0, 255), 24), qPrintable(describe(upright.pixel(8, 8))));
        QVERIFY2(near(upright.pixel(56, 88), qRgb(0, 255, 0), 24), qPrintable(describe(upright.pixel(56, 88))));
        QVERIFY2(near(upright.pixel(8, 88), qRgb(0, 0, 0), 24), qPrintable(describe(upright.pixel(8, 88))));
    }

    void normalise_unusableFile_failsAndRemovesPreviousBmp_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("missing") << "missing"
                                 << "cannot be opened";
        QTest::newRow("empty") << "empty"
                               << "is empty";
        QTest::newRow("folder") << "folder"
                                << "is a folder";
        QTest::newRow("text named .png") << "text"
                                         << "is not an image this program can read";
        QTest::newRow("PNG signature, no image") << "broken png"
                                                 << "is not an image this program can read";
    }

    void normalise_unusableFile_failsAndRemovesPreviousBmp()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expectedText);
        TestFolder folder;
        const QString bmpPath = folder.file(QStringLiteral("tmp.bmp"));
        // The previous entry's image is in place.
        const QString previous = folder.file(QStringLiteral("previous.png"));
        QVERIFY(makeTestPicture(20, 10).save(previous, "PNG"));
        QString error;
        QVERIFY(normaliseImage(previous, bmpPath, &error).has_value());
        QVERIFY(QFileInfo::exists(bmpPath));

        QString imagePath = folder.file(QStringLiteral("entry.png"));
        if (kind == QLatin1String("empty")) {
            folder.write(QStringLiteral("entry.png"));
        } else if (kind == QLatin1String("folder")) {
            folder.mkdir(QStringLiteral("entry.png"));
        } else if (kind == QLatin1String("text")) {
            folder.write(QStringLiteral("entry.png"), "these are words, not pixels\n");
        } else if (kind == QLatin1String("broken png")) {
            folder.write(QStringLiteral("entry.png"), QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(100, 'x'));
        }

        QVERIFY(!normaliseImage(imagePath, bmpPath, &error).has_value());
        QVERIFY2(error.contains(imagePath), qPrintable(error));
        QVERIFY2(error.contains(expectedText), qPrintable(error));
        QVERIFY(!QFileInfo::exists(bmpPath));
    }

    void normalise_bmpFolderMissing_failsNamingTheBmp()
    {
        TestFolder folder;
        const QString imagePath = folder.file(QStringLiteral("a.png"));
        QVERIFY(makeTestPicture(20, 10).save(imagePath, "PNG"));
        const QString bmpPath = folder.file(QStringLiteral("no-such-folder/tmp.bmp"));
        QString error;
        QVERIFY(!normaliseImage(imagePath, bmpPath, &error).has_value());
        QVERIFY2(error.contains(bmpPath), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestNormalisation)
#include "tst_normalisation.moc"
