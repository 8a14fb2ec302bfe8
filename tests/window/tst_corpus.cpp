#include "conversion/PageCreation.h"
#include "pagepdf/QpdfPageLibrary.h"
#include "support/ConvertAndCheck.h"
#include "support/ImageCorpus.h"
#include "support/PdfProbe.h"
#include "support/TestFolder.h"
#include "support/WindowFixture.h"

#include <QColorSpace>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>
#include <QTransform>

#include <cmath>

// Every kind of image file a user may put in the list gives a page that shows the picture: the page is rendered
// and compared with the source pixels (transparent parts on white).
class TestCorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void page_sample_showsPicture_data();
    void page_sample_showsPicture();
    void page_ownColoursUpright_data();
    void page_ownColoursUpright();
    void page_pngGamma_paletteAndRgbAlike();
    void run_oddSamples_pagesShowPictures();
};

void TestCorpus::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty(), "poppler-utils is not installed");
}

void TestCorpus::page_sample_showsPicture_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("sample");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<double>("keptTolerance"); // 0: the same
    // Odd sizes, so that partial JPEG blocks, partial tiles and padded rows are all met.
    const auto row = [&](const char* name, const char* fileName, Sample sample, double tolerance = 6,
                         QSize size = QSize(93, 61), double keptTolerance = 0) {
        QTest::newRow(name) << QString::fromUtf8(fileName) << int(sample) << size << tolerance << keptTolerance;
    };
    // A kept CMYK JPEG is left to the PDF reader's own CMYK, which is not the reader's profile: near, and a positive
    // (its negative differs by over 100).
    constexpr double kReadersCmyk = 25;
    row("JPEG baseline 4:2:0", "photo.jpg", Sample::JpegBaseline420);
    row("JPEG baseline 4:4:4", "photo.jpeg", Sample::JpegBaseline444);
    row("JPEG progressive", "progressive.jpg", Sample::JpegProgressive);
    row("JPEG greyscale", "grey.jpg", Sample::JpegGrey);
    row("JPEG restart markers", "restart.jpg", Sample::JpegRestartMarkers);
    row("JPEG CMYK, plain", "print.jpg", Sample::JpegCmyk, 6, QSize(93, 61), kReadersCmyk);
    row("JPEG CMYK, Adobe inverted", "adobe.jpg", Sample::JpegCmykAdobe, 6, QSize(93, 61), kReadersCmyk);
    row("JPEG YCCK, Adobe inverted", "ycck.jpg", Sample::JpegYcckAdobe, 6, QSize(93, 61), kReadersCmyk);
    row("JPEG EXIF orientation 6 comes out upright", "camera.JPG", Sample::JpegExifRotated, 6, QSize(96, 64));
    row("JPEG with stray bytes between markers", "stray.jpg", Sample::JpegStrayBytes);
    // Over 16 MB of picture: a second thread of the reader comes by its memory while it is decoded.
    row("JPEG 3000 x 2000", "large.jpg", Sample::JpegBaseline420, 6, QSize(3000, 2000));
    row("PNG palette", "palette.png", Sample::QtPngPalette, 4);
    row("PNG palette with transparency", "palette alpha.png", Sample::PngPaletteAlpha, 4);
    row("PNG grey", "grey.png", Sample::QtPngGrey, 2);
    row("PNG grey + alpha", "grey alpha.png", Sample::PngGreyAlpha, 3);
    row("PNG RGBA", "rgba.png", Sample::QtPngAlpha, 3);
    row("PNG 16-bit grey", "grey16.png", Sample::FreeImagePng16Grey, 2);
    row("PNG 16-bit RGBA", "rgba16.png", Sample::PngRgba16, 3);
    row("PNG interlaced", "interlaced.png", Sample::PngInterlaced, 3);
    row("TIFF 1-bit", "bilevel.tif", Sample::Tiff1Bit, 8);
    row("TIFF 16-bit", "deep.tiff", Sample::FreeImageTiff16, 3);
    row("TIFF float RGB", "float.tif", Sample::TiffFloat, 3);
    row("TIFF float grey", "float grey.tif", Sample::TiffFloatGrey, 2);
    row("TIFF LZW", "lzw.tif", Sample::TiffLzw, 3);
    row("TIFF Deflate", "deflate.tif", Sample::TiffDeflate, 3);
    row("TIFF multi-page, first page", "pages.tif", Sample::FreeImageMultiPageTiff, 3);
    row("TIFF tiled", "tiled.tif", Sample::TiffTiled, 3);
    row("GIF animated, first frame", "anim.gif", Sample::FreeImageAnimatedGif, 3);
    row("GIF transparent", "clear.gif", Sample::FreeImageGifTransparent, 4);
    row("BMP 1-bit", "one.bmp", Sample::Bmp1, 8);
    row("BMP 4-bit", "four.bmp", Sample::Bmp4, 3);
    row("BMP 8-bit", "eight.bmp", Sample::Bmp8, 3);
    row("BMP 16-bit", "sixteen.bmp", Sample::Bmp16, 3);
    row("BMP 24-bit", "plain.bmp", Sample::Bmp24, 3);
    row("BMP 32-bit", "alpha.bmp", Sample::Bmp32, 3);
    row("BMP 32-bit, alpha byte unused", "unused alpha.bmp", Sample::Bmp32UnusedAlpha, 3);
    row("BMP top-down", "topdown.bmp", Sample::BmpTopDown, 3);
    row("AVIF grid of 8 x 6 tiles", "grid.avif", Sample::AvifGrid, 6, QSize(512, 384));
    row("PNG named .jpg, read by content", "misnamed.jpg", Sample::QtPng, 3);
    row("1 x 1", "dot.png", Sample::QtPng, 3, QSize(1, 1));
    row("20000 x 10, page scaled to fit", "strip.png", Sample::QtPng, 4, QSize(20000, 10));
    row("12320 wide, exactly the largest page", "wide.png", Sample::QtPng, 4, QSize(12320, 40));
}

void TestCorpus::page_sample_showsPicture()
{
    QFETCH(QString, fileName);
    QFETCH(int, sample);
    QFETCH(QSize, size);
    QFETCH(double, tolerance);
    QFETCH(double, keptTolerance);
    TestFolder folder;
    const QString imagePath = folder.file(fileName);
    const QImage expected = writeSample(Sample(sample), imagePath, size);
    QVERIFY2(!expected.isNull(), "the sample could not be written");

    verifyPages(imagePath, folder.file(QStringLiteral("0.pdf")), expected, tolerance,
                {Readers::PopplerAndMupdf, keptTolerance});
}

void TestCorpus::page_ownColoursUpright_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("space"); // none, a colour space embedded as ICC or as nclx, or a hostile profile
    QTest::addColumn<int>("orientation");
    QTest::addColumn<double>("tolerance");
    const auto row = [](const char* name, const char* fileName, const char* space, int orientation = 1,
                        double tolerance = 5) {
        QTest::newRow(name) << QString::fromUtf8(fileName) << QString::fromUtf8(space) << orientation << tolerance;
    };
    // Read without its profile, ROMM RGB's red (220, 30, 30) comes out (150, 63, 33).
    // JPEG rows are compressed twice, once here and once for the page.
    row("JPEG, ROMM RGB", "romm.jpg", "romm", 1, 8);
    row("JPEG, Display P3, EXIF 6", "phone.jpg", "p3", 6, 8);
    row("JPEG, hostile profile: read as sRGB", "hostile.jpg", "hostile", 1, 8);
    row("PNG, Adobe RGB", "adobe.png", "adobe", 1, 3);
    row("HEIC", "plain.heic", "none", 1, 6);
    row("HEIC, Display P3 ICC", "p3.heic", "p3", 1, 6);
    row("AVIF, Adobe RGB", "adobe.avif", "adobe", 1, 6);
    row("AVIF, Display P3 nclx, irot a quarter clockwise", "turned.avif", "p3 nclx", 6, 6);
    row("WebP lossless", "plain.webp", "none", 1, 3);
    row("WebP lossless, Display P3", "p3.webp", "p3", 1, 3);
    row("WebP from a JPEG, Adobe RGB, EXIF 6", "turned.webp", "adobe", 6, 8);
    row("WebP from a JPEG, hostile profile: read as sRGB", "hostile.webp", "hostile", 1, 8);
    row("JPEG XL lossless, ROMM RGB", "romm.jxl", "romm", 1, 3);
    row("JPEG XL from a JPEG, Display P3, EXIF 6", "turned.jxl", "p3", 6, 8);
}

void TestCorpus::page_ownColoursUpright()
{
    QFETCH(QString, fileName);
    QFETCH(QString, space);
    QFETCH(int, orientation);
    QFETCH(double, tolerance);
    const QImage picture = makeTestPicture(93, 61);
    QImage stored = picture;
    const QMap<QString, QColorSpace::NamedColorSpace> spaces{{QStringLiteral("romm"), QColorSpace::ProPhotoRgb},
                                                             {QStringLiteral("p3"), QColorSpace::DisplayP3},
                                                             {QStringLiteral("p3 nclx"), QColorSpace::DisplayP3},
                                                             {QStringLiteral("adobe"), QColorSpace::AdobeRgb}};
    if (spaces.contains(space)) {
        stored.setColorSpace(QColorSpace::SRgb);
        stored.convertToColorSpace(spaces.value(space));
    }
    // A profile that claims a colour space and then a tag table far beyond its end.
    QByteArray hostile(132, '\0');
    hostile.replace(0, 4, QByteArray::fromHex("00000084"));
    hostile.replace(12, 12, QByteArrayLiteral("mntrRGB XYZ "));
    hostile.replace(36, 4, QByteArrayLiteral("acsp"));
    hostile.replace(128, 4, QByteArray::fromHex("7fffffff"));
    TestFolder folder;
    const QString imagePath = folder.file(fileName);
    const QString failed = writeEncoded(imagePath, stored, orientation, space.endsWith(QLatin1String("nclx")),
                                        space == QLatin1String("hostile") ? hostile : QByteArray());
    QVERIFY2(failed.isEmpty(), qPrintable(failed));

    // Debian's MuPDF draws without colour management: poppler alone judges the colours of a kept profile.
    verifyPages(imagePath, folder.file(QStringLiteral("0.pdf")),
                orientation == 6 ? picture.transformed(QTransform().rotate(90)) : picture, tolerance,
                {Readers::Poppler, 0});
}

void TestCorpus::page_pngGamma_paletteAndRgbAlike()
{
    // The same pixels with the same gAMA (1/1.8), once with a palette and once as RGB: the same page, corrected to
    // the display's 2.2 as every PNG reader does.
    const QImage palette = makeTestPicture(93, 61).convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    const QImage rgb = palette.convertToFormat(QImage::Format_RGB32);
    QImage expected = rgb;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const auto corrected = [](int v) { return qRound(255 * std::pow(v / 255.0, 1.8 / 2.2)); };
            const QRgb c = expected.pixel(x, y);
            expected.setPixel(x, y, qRgb(corrected(qRed(c)), corrected(qGreen(c)), corrected(qBlue(c))));
        }
    }
    TestFolder folder;
    QpdfPageLibrary library;
    QList<QImage> pages;
    for (const QImage& image : {palette, rgb}) {
        const QString name = QString::number(pages.size());
        const QString path = folder.file(name + QStringLiteral(".png"));
        QVERIFY(writePngWithGamma(image, path, 55556));
        const PageJob job{nullptr, path, folder.file(name + QStringLiteral(".pdf"))};
        const StageResult result = createPagePdf(library, job, [] { return PageDescription{95}; });
        QVERIFY2(result.ok, qPrintable(result.text));
        verifyPage(job.pagePath, 1, expected, 3);
        pages.append(PdfProbe::renderPageAt(job.pagePath, 1, expected.size()));
    }
    QVERIFY(PdfProbe::meanDifference(pages.at(0), pages.at(1)) < 1);
}

void TestCorpus::run_oddSamples_pagesShowPictures()
{
    // The odd ones through the whole window with the real pdftk: they come out in order, each one right.
    const QList<std::tuple<Sample, QString, QSize>> samples = {
        {Sample::JpegYcckAdobe, "ycck.jpg", QSize(70, 50)},   {Sample::JpegExifRotated, "camera.jpg", QSize(96, 64)},
        {Sample::PngRgba16, "deep alpha.png", QSize(81, 45)}, {Sample::TiffTiled, "tiled.tif", QSize(80, 67)},
        {Sample::BmpTopDown, "topdown.bmp", QSize(73, 59)},   {Sample::QtPng, "strip.png", QSize(20000, 10)},
    };
    WindowFixture f;
    f.useRealStages();
    f.open();
    f.find<QSlider>("Slider1")->setValue(95);
    QList<QImage> expected;
    for (const auto& [sample, name, size] : samples) {
        const QString path = f.folder.file(name);
        expected.append(writeSample(sample, path, size));
        QVERIFY2(!expected.last().isNull(), qPrintable(path));
        f.addEntries({path});
    }
    convertAndCheck(f, f.folder.file(QStringLiteral("corpus.pdf")), expected, 6);
}

QTEST_MAIN(TestCorpus)
#include "tst_corpus.moc"
