#include "imagereader/ImageReader.h"
#include "imagereader/PageRead.h"
#include "imagereader/format/FormatTable.h"
#include "support/ImageCorpus.h"
#include "support/TestFolder.h"

#include <FreeImage.h>
#include <QBuffer>
#include <QColorSpace>
#include <QFileInfo>
#include <QPainter>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance && qAbs(qAlpha(actual) - qAlpha(expected)) <= tolerance;
}

// What a picture shows on a page: transparent pixels are white.
QImage onWhite(const QImage& picture)
{
    QImage page(picture.size(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter(&page).drawImage(0, 0, picture);
    return page;
}

QString describe(QRgb c)
{
    return QStringLiteral("(%1,%2,%3,%4)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c)).arg(qAlpha(c));
}

QByteArray sampleFile(Sample sample)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("sample.jpg"));
    QFile file(path);
    return !writeSample(sample, path).isNull() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The JPEG with a colour profile in `count` chunks after its JFIF segment: those numbered in `numbers`, in that order.
QByteArray withProfileChunks(QByteArray jpeg, const QByteArray& profile, int count, const QList<int>& numbers)
{
    const qsizetype part = (profile.size() + count - 1) / count;
    QByteArray segments;
    for (const int number : numbers) {
        const QByteArray body =
            QByteArray("ICC_PROFILE", 12) + char(number) + char(count) + profile.mid((number - 1) * part, part);
        segments += QByteArray("\xff\xe2", 2) + char((body.size() + 2) >> 8) + char(body.size() + 2) + body;
    }
    return jpeg.insert(4 + (uchar(jpeg[4]) << 8 | uchar(jpeg[5])), segments);
}

// The same coded data with its frame made one of 12-bit samples.
QByteArray twelveBit(QByteArray jpeg)
{
    const qsizetype frame = jpeg.indexOf("\xff\xc0");
    jpeg[frame + 1] = char(0xc1);
    jpeg[frame + 4] = char(12);
    return jpeg;
}

enum KeptOutcome
{
    Kept,
    Decoded,
    Refused,
};

} // namespace

class TestPageRead : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatForExtension_paths_formatOfLastExtension_data()
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
        QTest::newRow("heic") << "/p/IMG_0001.HEIC" << kFormatHeif;
        QTest::newRow("heif") << "/p/a.heif" << kFormatHeif;
        QTest::newRow("avif") << "/p/a.avif" << kFormatAvif;
        QTest::newRow("webp") << "/p/a.webp" << kFormatWebp;
        QTest::newRow("jxl") << "/p/a.jxl" << kFormatJxl;
        QTest::newRow("last dot counts") << "/p/a.png.bak" << int(FIF_UNKNOWN);
        QTest::newRow("dot only in the folder") << "/p/folder.png/picture" << int(FIF_UNKNOWN);
        QTest::newRow("no extension") << "/p/picture" << int(FIF_UNKNOWN);
        QTest::newRow("trailing dot") << "/p/picture." << int(FIF_UNKNOWN);
        QTest::newRow("not in the table") << "/p/a.jxr" << int(FIF_UNKNOWN);
    }

    void formatForExtension_paths_formatOfLastExtension()
    {
        QFETCH(QString, path);
        QFETCH(int, format);
        QCOMPARE(formatForExtension(path), format);
    }

    void normalise_supportedFile_bmpShowsPicture_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("sample");
        QTest::addColumn<int>("bpp");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("JPEG") << "photo.JPG" << int(Sample::QtJpeg) << 24 << 16;
        QTest::newRow("PNG") << "a.png" << int(Sample::QtPng) << 24 << 0;
        QTest::newRow("PNG with alpha") << "alpha.png" << int(Sample::QtPngAlpha) << 24 << 1;
        QTest::newRow("PNG fully transparent") << "clear.png" << -1 << 24 << 0;
        QTest::newRow("PNG palette") << "palette.png" << int(Sample::QtPngPalette) << 24 << 0;
        QTest::newRow("PNG grey") << "grey.png" << int(Sample::QtPngGrey) << 8 << 0;
        QTest::newRow("PNG 16-bit grey") << "grey16.png" << int(Sample::FreeImagePng16Grey) << 8 << 1;
        QTest::newRow("BMP") << "a.bmp" << int(Sample::QtBmp) << 24 << 0;
        QTest::newRow("DIB") << "a.dib" << int(Sample::QtBmp) << 24 << 0;
        QTest::newRow("GIF") << "a.gif" << int(Sample::FreeImageGif) << 24 << 0;
        QTest::newRow("GIF with transparent colour") << "clear.gif" << int(Sample::FreeImageGifTransparent) << 24 << 0;
        QTest::newRow("animated GIF, first frame") << "anim.gif" << int(Sample::FreeImageAnimatedGif) << 24 << 0;
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
        QImage expected;
        if (sample < 0) {
            expected = QImage(64, 48, QImage::Format_ARGB32);
            expected.fill(Qt::transparent);
            QVERIFY(expected.save(imagePath, "PNG"));
        } else {
            expected = writeSample(Sample(sample), imagePath);
        }
        QVERIFY(!expected.isNull());
        expected = onWhite(expected);

        QString error;
        const std::optional<NormalisedImage> result = readPagePicture(imagePath, false, &error);
        QVERIFY2(result.has_value(), qPrintable(error));
        QCOMPARE(result->widthPx, expected.width());
        QCOMPARE(result->heightPx, expected.height());

        QVERIFY(result->picture != nullptr);
        const Bitmap bmp = loadBmp(result->picture->path());
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

    void read_orientedAndTurned_cornersWhereTheyBelong_data()
    {
        // Stored 96 x 64 with red, green at the top and blue, black below; upright and turned, the corners are these.
        QTest::addColumn<int>("orientation"); // EXIF's, of a JPEG; 0: a PNG, which has none
        QTest::addColumn<int>("quarterTurns");
        QTest::addColumn<QList<QRgb>>("corners"); // top left, top right, bottom left, bottom right
        const QRgb r = qRgb(255, 0, 0);
        const QRgb g = qRgb(0, 255, 0);
        const QRgb b = qRgb(0, 0, 255);
        const QRgb k = qRgb(0, 0, 0);
        QTest::newRow("1 as stored") << 1 << 0 << QList<QRgb>{r, g, b, k};
        QTest::newRow("2 mirrored") << 2 << 0 << QList<QRgb>{g, r, k, b};
        QTest::newRow("3 half a turn") << 3 << 0 << QList<QRgb>{k, b, g, r};
        QTest::newRow("4 upside down") << 4 << 0 << QList<QRgb>{b, k, r, g};
        QTest::newRow("5 transposed") << 5 << 0 << QList<QRgb>{r, b, g, k};
        QTest::newRow("6 a quarter clockwise") << 6 << 0 << QList<QRgb>{b, r, k, g};
        QTest::newRow("7 transversed") << 7 << 0 << QList<QRgb>{k, g, b, r};
        QTest::newRow("8 a quarter anticlockwise") << 8 << 0 << QList<QRgb>{g, k, r, b};
        QTest::newRow("PNG as stored") << 0 << 0 << QList<QRgb>{r, g, b, k};
        QTest::newRow("PNG turned a quarter") << 0 << 1 << QList<QRgb>{b, r, k, g};
        QTest::newRow("PNG turned half") << 0 << 2 << QList<QRgb>{k, b, g, r};
        QTest::newRow("PNG turned three quarters") << 0 << 3 << QList<QRgb>{g, k, r, b};
        QTest::newRow("1 turned a quarter") << 1 << 1 << QList<QRgb>{b, r, k, g};
        QTest::newRow("6 turned a quarter") << 6 << 1 << QList<QRgb>{k, b, g, r};
        QTest::newRow("5 turned a quarter") << 5 << 1 << QList<QRgb>{g, r, k, b};
    }

    void read_orientedAndTurned_cornersWhereTheyBelong()
    {
        QFETCH(int, orientation);
        QFETCH(int, quarterTurns);
        QFETCH(QList<QRgb>, corners);
        TestFolder folder;
        const QImage stored = makeTestPicture(96, 64);
        ImageFile image = orientation == 0
                              ? folder.write(QStringLiteral("scan.png"), freeImageFile(FIF_PNG, stored, 0, 0))
                              : folder.write(QStringLiteral("camera.jpg"), jpegWithOrientation(stored, orientation));
        ImageReader reader;
        PageRead pages(reader);
        // Read ahead with another turn first: that picture is not the one asked for.
        image.quarterTurns = (quarterTurns + 1) % 4;
        pages.readAhead(image, false);
        image.quarterTurns = quarterTurns;

        QString error;
        const std::optional<NormalisedImage> result = pages.read(image, false, &error);
        QVERIFY2(result.has_value(), qPrintable(error));
        const QSize upright = (orientation >= 5) != (quarterTurns % 2 == 1) ? QSize(64, 96) : QSize(96, 64);
        QCOMPARE(QSize(result->widthPx, result->heightPx), upright);
        const QImage picture = toQImage(loadBmp(result->picture->path()).get());
        QCOMPARE(picture.size(), upright);
        const int right = upright.width() - 8;
        const int bottom = upright.height() - 8;
        const QList<QPoint> points{{8, 8}, {right, 8}, {8, bottom}, {right, bottom}};
        for (int i = 0; i < 4; ++i) {
            QVERIFY2(near(picture.pixel(points[i]), corners[i], 24),
                     qPrintable(QStringLiteral("corner %1: %2").arg(i).arg(describe(picture.pixel(points[i])))));
        }
    }

    void read_fileStatingResolution_resolutionAcrossAndDownAsThePageStands_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("quarterTurns");
        QTest::addColumn<double>("x"); // pixels per inch; 0: none stated
        QTest::addColumn<double>("y");
        const QImage stored = makeTestPicture(48, 32);
        const QByteArray png300 = freeImageFile(FIF_PNG, stored, 11811, 11811);
        const QByteArray jpeg6 = withJfifDensity(jpegWithOrientation(stored, 6), 1, 300, 150);
        QTest::newRow("PNG, 11811 a metre") << "a.png" << png300 << 0 << 299.9994 << 299.9994;
        QTest::newRow("PNG without pHYs") << "a.png" << freeImageFile(FIF_PNG, stored, 0, 0) << 0 << 0.0 << 0.0;
        QTest::newRow("PNG, aspect only") << "a.png" << withPngPhysUnit(png300, 0) << 0 << 0.0 << 0.0;
        QTest::newRow("PNG, 300 x 150 turned a quarter")
            << "a.png" << freeImageFile(FIF_PNG, stored, 11811, 5906) << 1 << 150.0124 << 299.9994;
        QTest::newRow("JPEG, JFIF 300 dpi")
            << "a.jpg" << freeImageFile(FIF_JPEG, stored, 11811, 11811) << 0 << 300.0 << 300.0;
        QTest::newRow("JPEG, JFIF 118 a cm")
            << "a.jpg" << withJfifDensity(freeImageFile(FIF_JPEG, stored, 0, 0), 2, 118, 118) << 0 << 299.72 << 299.72;
        QTest::newRow("JPEG, JFIF aspect only, EXIF 200 dpi")
            << "a.jpg" << withJfifDensity(jpegWithOrientation(stored, 1, 200), 0, 1, 1) << 0 << 200.0 << 200.0;
        QTest::newRow("JPEG 300 x 150, orientation 6") << "a.jpg" << jpeg6 << 0 << 150.0 << 300.0;
        QTest::newRow("JPEG 300 x 150, orientation 6 turned a quarter") << "a.jpg" << jpeg6 << 1 << 300.0 << 150.0;
        QTest::newRow("TIFF 300 dpi") << "a.tif" << freeImageFile(FIF_TIFF, stored, 11811, 11811) << 0 << 300.0
                                      << 300.0;
        QTest::newRow("TIFF stating none") << "a.tif" << tiledTiff(stored, 16) << 0 << 0.0 << 0.0;
        QTest::newRow("TIFF stating 0") << "a.tif" << freeImageFile(FIF_TIFF, stored, 0, 0) << 0 << 0.0 << 0.0;
    }

    void read_fileStatingResolution_resolutionAcrossAndDownAsThePageStands()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(int, quarterTurns);
        QFETCH(double, x);
        QFETCH(double, y);
        QVERIFY(!content.isEmpty());
        TestFolder folder;
        ImageFile image(folder.write(fileName, content));
        image.quarterTurns = quarterTurns;

        QString error;
        const std::optional<NormalisedImage> result = readPagePicture(image, false, &error);
        QVERIFY2(result.has_value(), qPrintable(error));
        QVERIFY2(qAbs(result->resolutionX - x) < 0.001 && qAbs(result->resolutionY - y) < 0.001,
                 qPrintable(QStringLiteral("%1 x %2").arg(result->resolutionX).arg(result->resolutionY)));
    }

    // The run's picture files are used again, each fixed at its first picture's size: neither the helper nor anyone
    // holding a copy can grow or shrink it, and a larger picture gets a new file.
    void readAhead_picturesOfChangingSize_filesFixedAndReplacedWhenTooSmall()
    {
        TestFolder folder;
        ImageReader reader;
        PageRead pages(reader);
        const auto inode = [](const NormalisedImage& image) {
            struct stat info = {};
            return ::fstat(image.picture->fd(), &info) == 0 ? info.st_ino : 0;
        };
        ino_t previous = 0;
        const QList<std::tuple<QSize, const char*, bool>> pictures{
            {QSize(64, 48), "PNG", false}, {QSize(200, 150), "JPG", false}, {QSize(32, 24), "PNG", true}};
        for (const auto& [size, format, fits] : pictures) {
            const QString path = folder.file(QStringLiteral("%1x%2.%3")
                                                 .arg(size.width())
                                                 .arg(size.height())
                                                 .arg(QString::fromLatin1(format).toLower()));
            QImage picture(size, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            QVERIFY(picture.save(path, format));
            QString error;
            const std::optional<NormalisedImage> image = pages.read(ImageFile(path), false, &error);
            QVERIFY2(image.has_value(), qPrintable(error));
            QCOMPARE(QSize(image->widthPx, image->heightPx), size);
            QCOMPARE(inode(*image) == previous, fits);
            previous = inode(*image);
            struct stat info = {};
            QVERIFY(::fstat(image->picture->fd(), &info) == 0);
            const char byte = 0;
            QCOMPARE(::pwrite(image->picture->fd(), &byte, 1, info.st_size), -1);
            QCOMPARE(errno, EPERM);
            QCOMPARE(::ftruncate(image->picture->fd(), info.st_size + 4096), -1);
            QCOMPARE(::ftruncate(image->picture->fd(), 0), -1);
        }
    }

    void read_keepingOriginal_jpegFitToKeepComesAsItsOwnData_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("quarterTurns");
        QTest::addColumn<int>("outcome"); // KeptOutcome
        QTest::addColumn<int>("components");
        QTest::addColumn<int>("orientation"); // EXIF's, the turns included
        QTest::addColumn<bool>("inkInverted");
        QTest::addColumn<QByteArray>("profile");
        const QImage stored = makeTestPicture(96, 64);
        const QByteArray plain = freeImageFile(FIF_JPEG, stored, 0, 0);
        const QByteArray p3 = QColorSpace(QColorSpace::DisplayP3).iccProfile();
        const QByteArray exif5 = jpegWithOrientation(stored, 5);
        const QByteArray exif6 = jpegWithOrientation(stored, 6);
        QByteArray damaged = sampleFile(Sample::JpegBaseline420);
        damaged.insert(damaged.size() / 2, "\xff\xd3", 2); // a restart marker where none belongs
        const auto row = [](const char* name, const QByteArray& content, int turns, KeptOutcome outcome,
                            int components = 3, int orientation = 1, bool inverted = false,
                            const QByteArray& profile = {}) {
            QTest::newRow(name) << "a.jpg" << content << turns << int(outcome) << components << orientation << inverted
                                << profile;
        };
        row("baseline", sampleFile(Sample::JpegBaseline420), 0, Kept);
        row("progressive", sampleFile(Sample::JpegProgressive), 0, Kept);
        row("grey", sampleFile(Sample::JpegGrey), 0, Kept, 1);
        row("CMYK ink", sampleFile(Sample::JpegCmyk), 0, Kept, 4);
        row("Adobe CMYK", sampleFile(Sample::JpegCmykAdobe), 0, Kept, 4, 1, true);
        row("Adobe YCCK", sampleFile(Sample::JpegYcckAdobe), 0, Kept, 4, 1, true);
        row("EXIF 6", exif6, 0, Kept, 3, 6);
        row("EXIF 5", exif5, 0, Kept, 3, 5);
        row("EXIF 6 turned a quarter", exif6, 1, Kept, 3, 3);
        row("EXIF 5 turned a quarter", exif5, 1, Kept, 3, 2);
        row("turned three quarters", plain, 3, Kept, 3, 8);
        row("profile", withProfileChunks(plain, p3, 1, {1}), 0, Kept, 3, 1, false, p3);
        row("profile in two chunks, the second first", withProfileChunks(plain, p3, 2, {2, 1}), 0, Kept, 3, 1, false,
            p3);
        row("profile chunk missing", withProfileChunks(plain, p3, 2, {1}), 0, Decoded);
        row("stray bytes between markers", sampleFile(Sample::JpegStrayBytes), 0, Decoded);
        row("arithmetic coding", sampleFile(Sample::JpegArithmetic), 0, Decoded);
        row("cut short", sampleFile(Sample::JpegBaseline420).chopped(200), 0, Refused);
        row("coded data damaged", damaged, 0, Refused);
        row("12-bit", twelveBit(sampleFile(Sample::JpegBaseline420)), 0, Refused);
        // A motion photo's video after the picture's end is not the picture's: it stays out of the page.
        row("a video after its end", plain + QByteArray(4096, '\x5a'), 0, Kept);
        QTest::newRow("PNG") << "a.png" << freeImageFile(FIF_PNG, stored, 0, 0) << 0 << int(Decoded) << 3 << 1 << false
                             << QByteArray();
        // Any other picture with a profile keeps its pixels as stored, and the profile comes with them.
        QImage adobe = stored;
        adobe.setColorSpace(QColorSpace::AdobeRgb);
        QByteArray adobePng;
        QBuffer buffer(&adobePng);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && adobe.save(&buffer, "PNG"));
        QTest::newRow("PNG with a profile")
            << "a.png" << adobePng << 0 << int(Decoded) << 3 << 1 << false << adobe.colorSpace().iccProfile();
        // A grey picture with a colour profile (against the rules, but cameras write them) comes as three equal
        // channels, which the profile fits.
        row("grey with an RGB profile", withProfileChunks(sampleFile(Sample::JpegGrey), p3, 1, {1}), 0, Decoded, 1, 1,
            false, p3);
    }

    void read_keepingOriginal_jpegFitToKeepComesAsItsOwnData()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(int, quarterTurns);
        QFETCH(int, outcome);
        QFETCH(int, components);
        QFETCH(int, orientation);
        QFETCH(bool, inkInverted);
        QFETCH(QByteArray, profile);
        QVERIFY(content.size() > 200);
        TestFolder folder;
        ImageFile image(folder.write(fileName, content));
        image.quarterTurns = quarterTurns;
        ImageReader reader;
        PageRead pages(reader);
        // What is read ahead to be decoded (into the run's other file, while a tiny picture holds the first) is not
        // what is asked for when the file may be kept; the tiny picture's file is then too small for a profile.
        QString error;
        std::optional<NormalisedImage> tiny =
            pages.read(folder.write(QStringLiteral("tiny.png"), freeImageFile(FIF_PNG, makeTestPicture(4, 4), 0, 0)),
                       false, &error);
        QVERIFY2(tiny.has_value(), qPrintable(error));
        pages.readAhead(image, false);
        tiny.reset();

        const std::optional<NormalisedImage> result = pages.read(image, true, &error);
        if (outcome == Refused) {
            QVERIFY(!result.has_value());
            QVERIFY2(error.contains(image.shown), qPrintable(error));
            return;
        }
        QVERIFY2(result.has_value(), qPrintable(error));
        QCOMPARE(result->original.has_value(), outcome == Kept);
        QCOMPARE(result->picture != nullptr, outcome == Decoded);
        if (outcome == Decoded) {
            QVERIFY(result->iccProfile == profile);
            if (!profile.isEmpty()) {
                // The pixels as stored (Qt reads them without their profile), not made sRGB.
                const Bitmap bitmap = loadBmp(result->picture->path());
                QCOMPARE(FreeImage_GetBPP(bitmap.get()), 24u);
                const QImage picture = toQImage(bitmap.get());
                const QImage stored = QImage::fromData(content).convertToFormat(QImage::Format_RGB32);
                QCOMPARE(picture.size(), stored.size());
                for (const QPoint at : {QPoint(0, 0), QPoint(20, 10), QPoint(50, 40), QPoint(95, 63)}) {
                    QVERIFY2(near(picture.pixel(at), stored.pixel(at), 4),
                             qPrintable(describe(picture.pixel(at)) + QLatin1String(" against ") +
                                        describe(stored.pixel(at))));
                }
            }
            return;
        }
        const OriginalJpeg& kept = *result->original;
        QVERIFY(kept.data == (content.endsWith('\x5a') ? content.chopped(4096) : content));
        QCOMPARE(QSize(kept.width, kept.height), QSize(96, 64));
        QCOMPARE(kept.components, components);
        QCOMPARE(kept.orientation, orientation);
        QCOMPARE(kept.inkInverted, inkInverted);
        QVERIFY(kept.iccProfile == profile);
        QCOMPARE(QSize(result->widthPx, result->heightPx), orientation >= 5 ? QSize(64, 96) : QSize(96, 64));
    }

    // The page holds the file's bytes as the window copies them; they must be those the reader checked.
    void read_keptJpegChangedAfterItsRequest_failsNamingIt()
    {
        TestFolder folder;
        const QString path = folder.write(QStringLiteral("photo.jpg"), sampleFile(Sample::JpegBaseline420));
        ImageReader reader;
        PageRead pages(reader);
        pages.readAhead(ImageFile(path), true);
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append) && file.write("\0", 1) == 1);
        file.close();

        QString error;
        QVERIFY(!pages.read(ImageFile(path), true, &error).has_value());
        QVERIFY2(error.contains(path) && error.contains(QLatin1String("changed")), qPrintable(error));
    }

    void normalise_unusableFile_failsNamingIt_data()
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

    void normalise_unusableFile_failsNamingIt()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expectedText);
        TestFolder folder;
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

        QString error;
        QVERIFY(!readPagePicture(imagePath, false, &error).has_value());
        QVERIFY2(error.contains(imagePath), qPrintable(error));
        QVERIFY2(error.contains(expectedText), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestPageRead)
#include "tst_pageread.moc"
