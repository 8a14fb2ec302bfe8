#include "pagepdf/QpdfPageLibrary.h"
#include "support/ImageCorpus.h"
#include "support/PdfProbe.h"
#include "support/TestFolder.h"

#include <QColorSpace>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>

#include <sys/resource.h>

namespace {

double unitsToPoints(int units)
{
    return units * 72.0 / 254.0;
}

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return qAbs(qRed(actual) - qRed(expected)) <= tolerance && qAbs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           qAbs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QString describe(QRgb colour)
{
    return QStringLiteral("(%1,%2,%3)").arg(qRed(colour)).arg(qGreen(colour)).arg(qBlue(colour));
}

enum class Source
{
    Colour24,
    Grey8,
};

} // namespace

class TestPdfPageLibrary : public QObject
{
    Q_OBJECT

private:
    // Makes a whole page of the given size in units from one image; returns the library's result.
    int makePage(QpdfPageLibrary& library, const QString& image, const QString& pdf, int width, int height,
                 int quality = 80, bool lossless = false, const QByteArray& iccProfile = {})
    {
        const int box = library.CreateBox(nullptr, 0);
        int result = library.SetStrProp(box, PdfPageLibrary::OutputFile, pdf);
        for (const auto& [id, value] :
             {std::pair{PdfPageLibrary::PageWidth, width}, std::pair{PdfPageLibrary::PageHeight, height},
              std::pair{PdfPageLibrary::JpegQuality, quality},
              std::pair{PdfPageLibrary::Compression,
                        int(lossless ? PdfPageLibrary::Lossless : PdfPageLibrary::JpegCompression)}}) {
            result = result == -1 ? -1 : library.SetNumProp(box, id, value);
        }
        result = result == -1 ? -1 : library.SetStrProp(box, PdfPageLibrary::ProductName, QStringLiteral("Pagewell"));
        result = result == -1 ? -1 : library.BeginDoc(box);
        result = result == -1 ? -1 : library.StretchDrawFromFileInColours(box, 0, 0, width, height, image, iccProfile);
        result = result == -1 ? -1 : library.EndDoc(box);
        library.FreeBox(box);
        return result;
    }

private Q_SLOTS:
    void endDoc_page800x600_sizeProducerAndPixels_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("colourSpace");
        QTest::addColumn<bool>("lossless");
        QTest::addColumn<QByteArray>("profile"); // the colours the pixels are in; none: the device's
        // The two layouts the image reader writes; everything else is refused (see failures).
        const QByteArray srgb = QColorSpace(QColorSpace::SRgb).iccProfile();
        QTest::newRow("24-bit colour") << int(Source::Colour24) << QStringLiteral("/DeviceRGB") << false
                                       << QByteArray();
        QTest::newRow("8-bit grey") << int(Source::Grey8) << QStringLiteral("/DeviceGray") << false << QByteArray();
        QTest::newRow("24-bit colour, lossless")
            << int(Source::Colour24) << QStringLiteral("/DeviceRGB") << true << QByteArray();
        QTest::newRow("8-bit grey, lossless")
            << int(Source::Grey8) << QStringLiteral("/DeviceGray") << true << QByteArray();
        QTest::newRow("24-bit colour, lossless, with its profile")
            << int(Source::Colour24) << QStringLiteral("/ICCBased") << true << srgb;
    }

    void endDoc_page800x600_sizeProducerAndPixels()
    {
        QFETCH(int, source);
        QFETCH(QString, colourSpace);
        QFETCH(bool, lossless);
        QFETCH(QByteArray, profile);
        TestFolder folder;
        QImage picture = makeTestPicture(800, 600);
        QString imagePath = folder.file(QStringLiteral("tmp.bmp"));
        if (Source(source) == Source::Grey8) {
            picture = picture.convertToFormat(QImage::Format_Grayscale8);
        }
        QVERIFY(picture.save(imagePath, "BMP"));
        const QString pdf = folder.file(QStringLiteral("0.pdf"));

        QpdfPageLibrary library;
        QCOMPARE(makePage(library, imagePath, pdf, 2128, 1596, 80, lossless, profile), 0);
        if (lossless) {
            // Every pixel as it was given.
            const QList<QByteArray> extracted = PdfProbe::extractedImages(pdf, false);
            QCOMPARE(extracted.size(), 1);
            const QImage::Format format = picture.isGrayscale() ? QImage::Format_Grayscale8 : QImage::Format_RGB32;
            QCOMPARE(QImage::fromData(extracted.first()).convertToFormat(format), picture.convertToFormat(format));
        }

        QVERIFY(PdfProbe::passesQpdfCheck(pdf));
        const QMap<QString, QString> info = PdfProbe::info(pdf);
        QCOMPARE(info.value(QStringLiteral("Pages")), QStringLiteral("1"));
        QCOMPARE(info.value(QStringLiteral("Producer")), QStringLiteral("Pagewell"));
        QCOMPARE(info.value(QStringLiteral("Creator")), QStringLiteral("Pagewell"));
        const QSizeF size = PdfProbe::pageSizes(pdf).value(0);
        QVERIFY2(qAbs(size.width() - unitsToPoints(2128)) < 0.01, qPrintable(QString::number(size.width())));
        QVERIFY2(qAbs(size.height() - unitsToPoints(1596)) < 0.01, qPrintable(QString::number(size.height())));
        QCOMPARE(PdfProbe::imageColourSpaces(pdf), QStringList{colourSpace});

        // The image fills the page the right way up: compare the middles of a 4 x 4 grid of cells.
        const QImage rendered = PdfProbe::renderPageAt(pdf, 1, QSize(800, 600));
        QCOMPARE(rendered.size(), QSize(800, 600));
        for (int row = 0; row < 4; ++row) {
            for (int column = 0; column < 4; ++column) {
                const QPoint at(800 * (2 * column + 1) / 8, 600 * (2 * row + 1) / 8);
                const QRgb expected = picture.pixel(at);
                const QRgb actual = rendered.pixel(at);
                QVERIFY2(near(actual, expected, 20), qPrintable(QStringLiteral("at %1,%2: %3, expected %4")
                                                                    .arg(at.x())
                                                                    .arg(at.y())
                                                                    .arg(describe(actual), describe(expected))));
            }
        }
    }

    void stretchDraw_partOfPage_placedFromTopLeft()
    {
        TestFolder folder;
        QImage picture(100, 100, QImage::Format_RGB32);
        picture.fill(qRgb(200, 0, 0));
        const QString bmp = folder.file(QStringLiteral("red.bmp"));
        QVERIFY(picture.save(bmp, "BMP"));
        const QString pdf = folder.file(QStringLiteral("part.pdf"));

        // A 2000 x 1000 page with the image in the quarter 1000 units wide, 500 high at the top left.
        QpdfPageLibrary library;
        const int box = library.CreateBox(nullptr, 0);
        QCOMPARE(library.SetStrProp(box, PdfPageLibrary::OutputFile, pdf), 0);
        QCOMPARE(library.SetNumProp(box, PdfPageLibrary::PageWidth, 2000), 0);
        QCOMPARE(library.SetNumProp(box, PdfPageLibrary::PageHeight, 1000), 0);
        QCOMPARE(library.BeginDoc(box), 0);
        QCOMPARE(library.StretchDrawFromFile(box, 0, 0, 1000, 500, bmp), 0);
        QCOMPARE(library.EndDoc(box), 0);
        QCOMPARE(library.FreeBox(box), 0);

        const QImage rendered = PdfProbe::renderPageAt(pdf, 1, QSize(400, 200));
        QVERIFY2(near(rendered.pixel(100, 50), qRgb(200, 0, 0), 20), qPrintable(describe(rendered.pixel(100, 50))));
        QVERIFY(near(rendered.pixel(300, 50), qRgb(255, 255, 255), 4));
        QVERIFY(near(rendered.pixel(100, 150), qRgb(255, 255, 255), 4));
    }

    void jpegQuality_lower_smallerFile()
    {
        TestFolder folder;
        QImage picture = makeTestPicture(400, 300);
        QRandomGenerator noise(7);
        for (int y = 0; y < 300; ++y) {
            for (int x = 0; x < 400; ++x) {
                const QRgb c = picture.pixel(x, y);
                const int n = int(noise.bounded(40)) - 20;
                picture.setPixel(
                    x, y,
                    qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255), qBound(0, qBlue(c) + n, 255)));
            }
        }
        const QString bmp = folder.file(QStringLiteral("noisy.bmp"));
        QVERIFY(picture.save(bmp, "BMP"));

        QpdfPageLibrary library;
        qint64 previousSize = 0;
        for (const int quality : {0, 20, 60, 95}) {
            const QString pdf = folder.file(QStringLiteral("q%1.pdf").arg(quality));
            QCOMPARE(makePage(library, bmp, pdf, 1064, 798, quality), 0);
            const qint64 size = QFileInfo(pdf).size();
            QVERIFY2(size > previousSize, qPrintable(QStringLiteral("quality %1: %2 bytes").arg(quality).arg(size)));
            previousSize = size;
        }
    }

    void endDoc_existingFile_replacedWithoutLeftovers()
    {
        TestFolder folder;
        const QString bmp = folder.file(QStringLiteral("tmp.bmp"));
        QVERIFY(makeTestPicture(80, 60).save(bmp, "BMP"));
        const QString pdf = folder.mkdir(QStringLiteral("out")) + QStringLiteral("/0.pdf");
        QpdfPageLibrary library;
        QCOMPARE(makePage(library, bmp, pdf, 213, 160), 0);
        QCOMPARE(makePage(library, bmp, pdf, 1000, 500), 0);

        QCOMPARE(QDir(folder.file(QStringLiteral("out"))).entryList(QDir::Files), QStringList{QStringLiteral("0.pdf")});
        QVERIFY(qAbs(PdfProbe::pageSizes(pdf).value(0).width() - unitsToPoints(1000)) < 0.01);
    }

    void failures_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("expectedText");
        QTest::newRow("missing image") << "missing image"
                                       << "does not exist";
        QTest::newRow("image is a folder") << "image is a folder"
                                           << "is a folder";
        QTest::newRow("not an image") << "not an image"
                                      << "is damaged";
        // Only the image reader decodes images: any other file is refused, whatever it holds.
        QTest::newRow("BMP with a colour palette") << "palette"
                                                   << "is damaged";
        QTest::newRow("32-bit BMP") << "32-bit"
                                    << "is damaged";
        QTest::newRow("PNG") << "png"
                             << "is damaged";
        QTest::newRow("24-bit BMP cut short") << "cut short"
                                              << "is damaged";
        for (const QString& hostile :
             QDir(QStringLiteral(PAGEWELL_HOSTILE_DIR "/reader-output")).entryList(QDir::Files)) {
            QTest::newRow(qPrintable(QStringLiteral("reader output: ") + hostile))
                << "reader-output/" + hostile << "is damaged";
        }
        QTest::newRow("output folder missing") << "output folder missing"
                                               << "cannot be written";
        // The page file is begun and cannot be finished: what was written of it goes again.
        QTest::newRow("file size limit") << "file size limit"
                                         << "file size limit";
        QTest::newRow("draw before BeginDoc") << "draw before BeginDoc"
                                              << "has not been begun";
        QTest::newRow("EndDoc before BeginDoc") << "EndDoc before BeginDoc"
                                                << "has not been begun";
        QTest::newRow("freed box") << "freed box"
                                   << "no open document numbered";
        QTest::newRow("unknown property") << "unknown property"
                                          << "no property 99";
        QTest::newRow("quality 101") << "quality 101"
                                     << "outside the range";
    }

    void failures()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, expectedText);
        TestFolder folder;
        const QString bmp = folder.file(QStringLiteral("tmp.bmp"));
        QVERIFY(makeTestPicture(40, 30).save(bmp, "BMP"));
        QString pdf = folder.file(QStringLiteral("0.pdf"));
        QString image = bmp;
        if (scenario == QLatin1String("missing image")) {
            image = folder.file(QStringLiteral("gone.bmp"));
        } else if (scenario == QLatin1String("image is a folder")) {
            image = folder.mkdir(QStringLiteral("folder.bmp"));
        } else if (scenario == QLatin1String("not an image")) {
            image = folder.write(QStringLiteral("text.bmp"), "just some words, no pixels");
        } else if (scenario == QLatin1String("palette")) {
            QVERIFY(makeTestPicture(40, 30)
                        .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither)
                        .save(image = folder.file(QStringLiteral("palette.bmp")), "BMP"));
        } else if (scenario == QLatin1String("32-bit")) {
            QVERIFY(
                writeSample(Sample::Bmp32, image = folder.file(QStringLiteral("alpha.bmp")), QSize(40, 30)).width() ==
                40);
        } else if (scenario == QLatin1String("png")) {
            QVERIFY(makeTestPicture(40, 30).save(image = folder.file(QStringLiteral("picture.png")), "PNG"));
        } else if (scenario == QLatin1String("cut short")) {
            QVERIFY(QFile::copy(bmp, image = folder.file(QStringLiteral("short.bmp"))));
            QVERIFY(QFile::resize(image, QFileInfo(image).size() - 1));
        } else if (scenario.startsWith(QLatin1String("reader-output/"))) {
            QVERIFY(QFile::copy(QStringLiteral(PAGEWELL_HOSTILE_DIR "/") + scenario,
                                image = folder.file(QFileInfo(scenario).fileName())));
        } else if (scenario == QLatin1String("output folder missing")) {
            pdf = folder.file(QStringLiteral("nowhere/0.pdf"));
        }
        // The file the message has to name, where one is involved.
        const QString namedFile =
            image != bmp ? image : (scenario.startsWith(QLatin1String("output")) ? pdf : QString());
        rlimit fileSize = {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &fileSize), 0);
        const rlim_t unlimited = fileSize.rlim_cur;
        const auto restoreLimit = qScopeGuard([&] {
            fileSize.rlim_cur = unlimited;
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
            ::signal(SIGXFSZ, SIG_DFL);
        });
        if (scenario == QLatin1String("file size limit")) {
            // A write past the limit then fails with EFBIG instead of ending the test.
            ::signal(SIGXFSZ, SIG_IGN);
            fileSize.rlim_cur = 100;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &fileSize), 0);
        }

        QpdfPageLibrary library;
        const int box = library.CreateBox(nullptr, 0);
        QCOMPARE(library.SetStrProp(box, PdfPageLibrary::OutputFile, pdf), 0);
        QCOMPARE(library.SetNumProp(box, PdfPageLibrary::PageWidth, 106), 0);
        QCOMPARE(library.SetNumProp(box, PdfPageLibrary::PageHeight, 80), 0);
        int result = 0;
        if (scenario == QLatin1String("draw before BeginDoc")) {
            result = library.StretchDrawFromFile(box, 0, 0, 106, 80, image);
        } else if (scenario == QLatin1String("EndDoc before BeginDoc")) {
            result = library.EndDoc(box);
        } else if (scenario == QLatin1String("freed box")) {
            QCOMPARE(library.FreeBox(box), 0);
            result = library.BeginDoc(box);
        } else if (scenario == QLatin1String("unknown property")) {
            result = library.SetNumProp(box, 99, 1);
        } else if (scenario == QLatin1String("quality 101")) {
            result = library.SetNumProp(box, PdfPageLibrary::JpegQuality, 101);
        } else {
            QCOMPARE(library.BeginDoc(box), 0);
            result = library.StretchDrawFromFile(box, 0, 0, 106, 80, image);
            if (result == 0) {
                result = library.EndDoc(box);
            }
        }

        QCOMPARE(result, -1);
        const QString message = library.GetErrorMsg();
        QVERIFY2(message.contains(expectedText), qPrintable(message));
        QVERIFY2(message.contains(namedFile), qPrintable(message));
        QVERIFY(!QFileInfo::exists(pdf));
        QCOMPARE(QDir(QFileInfo(pdf).path())
                     .entryList({QStringLiteral("*.pdf"), QStringLiteral(".pagewell*")},
                                QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestPdfPageLibrary)
#include "tst_pdfpagelibrary.moc"
