#include "conversion/PageCreation.h"
#include "pagepdf/QpdfPageLibrary.h"
#include "support/ConvertAndCheck.h"
#include "support/ImageCorpus.h"
#include "support/WindowFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

// Every kind of image file a user may put in the list gives a page that shows the picture: the page is rendered
// and compared with the source pixels (transparent parts on white).
class TestCorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void page_sample_showsPicture_data();
    void page_sample_showsPicture();
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
    // Odd sizes, so that partial JPEG blocks, partial tiles and padded rows are all met.
    const auto row = [&](const char* name, const char* fileName, Sample sample, double tolerance = 6,
                         QSize size = QSize(93, 61)) {
        QTest::newRow(name) << QString::fromUtf8(fileName) << int(sample) << size << tolerance;
    };
    row("JPEG baseline 4:2:0", "photo.jpg", Sample::JpegBaseline420);
    row("JPEG baseline 4:4:4", "photo.jpeg", Sample::JpegBaseline444);
    row("JPEG progressive", "progressive.jpg", Sample::JpegProgressive);
    row("JPEG greyscale", "grey.jpg", Sample::JpegGrey);
    row("JPEG restart markers", "restart.jpg", Sample::JpegRestartMarkers);
    row("JPEG CMYK, plain", "print.jpg", Sample::JpegCmyk);
    row("JPEG CMYK, Adobe inverted", "adobe.jpg", Sample::JpegCmykAdobe);
    row("JPEG YCCK, Adobe inverted", "ycck.jpg", Sample::JpegYcckAdobe);
    row("JPEG EXIF orientation 6 comes out upright", "camera.JPG", Sample::JpegExifRotated, 6, QSize(96, 64));
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
    TestFolder folder;
    const QString imagePath = folder.file(fileName);
    const QImage expected = writeSample(Sample(sample), imagePath, size);
    QVERIFY2(!expected.isNull(), "the sample could not be written");

    QpdfPageLibrary library;
    const PageJob job{nullptr, imagePath, folder.file(QStringLiteral("0.pdf")), folder.file(QStringLiteral("tmp.bmp"))};
    const StageResult result = createPagePdf(library, job, [] { return 95; });
    QVERIFY2(result.ok, qPrintable(result.text));
    verifyPage(job.pagePath, 1, expected, tolerance);
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
