#include "app/Translations.h"
#include "conversion/PageCreation.h"
#include "pagepdf/QpdfPageLibrary.h"
#include "support/ImageCorpus.h"
#include "support/PdfProbe.h"
#include "support/TestFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

// Records every call as text and fails the first call whose record starts with m_failOn.
class RecordingLibrary final : public PdfPageLibrary
{
public:
    QStringList calls;
    QString failOn;
    bool writeFileAtEndDoc = true;

    int CreateBox(QWidget* /*owner*/, int reserved) override
    {
        return record(QStringLiteral("CreateBox %1").arg(reserved), 7);
    }
    int SetNumProp(int box, int id, int value) override
    {
        return record(QStringLiteral("SetNumProp %1 %2 %3").arg(box).arg(id).arg(value));
    }
    int SetStrProp(int box, int id, const QString& text) override
    {
        if (id == OutputFile) {
            m_output = text;
        }
        return record(QStringLiteral("SetStrProp %1 %2 %3").arg(box).arg(id).arg(text));
    }
    int BeginDoc(int box) override { return record(QStringLiteral("BeginDoc %1").arg(box)); }
    int DrawJpegData(int box, int left, int top, int width, int height, const QByteArray&, const JpegFacts&) override
    {
        return record(QStringLiteral("DrawJpegData %1 %2 %3 %4 %5").arg(box).arg(left).arg(top).arg(width).arg(height));
    }
    int StretchDrawFromFile(int box, int left, int top, int width, int height, const QString& imageFile) override
    {
        return record(QStringLiteral("StretchDrawFromFile %1 %2 %3 %4 %5 %6")
                          .arg(box)
                          .arg(left)
                          .arg(top)
                          .arg(width)
                          .arg(height)
                          .arg(imageFile));
    }
    int StretchDrawFromFileInColours(int box, int left, int top, int width, int height, const QString& imageFile,
                                     const QByteArray& iccProfile) override
    {
        return record(QStringLiteral("StretchDrawFromFileInColours %1 %2 %3 %4 %5 %6 %7")
                          .arg(box)
                          .arg(left)
                          .arg(top)
                          .arg(width)
                          .arg(height)
                          .arg(imageFile)
                          .arg(iccProfile.size()));
    }
    int EndDoc(int box) override
    {
        const int result = record(QStringLiteral("EndDoc %1").arg(box));
        if (result != -1 && writeFileAtEndDoc) {
            QFile page(m_output);
            if (page.open(QIODevice::WriteOnly)) {
                page.write("%PDF-1.3\n");
            }
        }
        return result;
    }
    int FreeBox(int box) override { return record(QStringLiteral("FreeBox %1").arg(box)); }
    [[nodiscard]] QString GetErrorMsg() const override { return m_error; }

private:
    int record(const QString& call, int success = 0)
    {
        calls << call;
        if (!failOn.isEmpty() && call.startsWith(failOn)) {
            m_error = QStringLiteral("The disk is on fire.");
            return -1;
        }
        return success;
    }

    QString m_output;
    QString m_error;
};

double unitsToPoints(int units)
{
    return units * 72.0 / 254.0;
}

const QString imagePath = QStringLiteral("/photos/holiday.jpg");
const QString pagePath = QStringLiteral("/work/jpgtmp/3.pdf");
// What the page is drawn from when the normaliser hands over no picture.
const QString kNoPicture = QStringLiteral("/proc/self/fd/-1");

} // namespace

class TestPageCreation : public QObject
{
    Q_OBJECT

private:
    // The calls a whole page of 800 x 600 pixels at quality 64 makes, in order.
    static QStringList allCalls(const QString& page)
    {
        return {
            QStringLiteral("CreateBox 0"),
            QStringLiteral("SetNumProp 7 44 1"),
            QStringLiteral("SetStrProp 7 10 ") + page,
            QStringLiteral("SetNumProp 7 44 0"),
            QStringLiteral("describe"),
            QStringLiteral("normalise"),
            QStringLiteral("SetStrProp 7 14 Pagewell"),
            QStringLiteral("SetNumProp 7 36 2128"),
            QStringLiteral("SetNumProp 7 34 1596"),
            QStringLiteral("SetNumProp 7 31 2"),
            QStringLiteral("SetNumProp 7 45 64"),
            QStringLiteral("SetNumProp 7 60 0"),
            QStringLiteral("SetNumProp 7 51 2"),
            QStringLiteral("SetNumProp 7 52 2"),
            QStringLiteral("BeginDoc 7"),
            QStringLiteral("StretchDrawFromFile 7 0 0 2128 1596 ") + kNoPicture,
            QStringLiteral("EndDoc 7"),
            QStringLiteral("FreeBox 7"),
        };
    }

    // Runs createPagePdf against the recording library; the page controls and the normaliser record themselves. With
    // keepOriginal the normaliser hands over a JPEG's own data, as the reader does for a JPEG fit to be kept.
    static StageResult runRecorded(RecordingLibrary& library, const QString& page, bool normaliseFails = false,
                                   bool keepOriginal = false)
    {
        const PageJob job{nullptr, imagePath, page};
        return createPagePdf(
            library, job,
            [&](bool keep, QString* error) -> std::optional<NormalisedImage> {
                library.calls << QStringLiteral("normalise%1").arg(keep ? " keeping the original" : "");
                if (normaliseFails) {
                    *error = QStringLiteral("\"%1\" is not an image this program can read.").arg(imagePath);
                    return std::nullopt;
                }
                NormalisedImage image{800, 600, nullptr};
                if (keep) {
                    image.original = OriginalJpeg{QByteArray("\xff\xd8 data"), 600, 800, 3, 6, false, {}};
                }
                return image;
            },
            [&] {
                library.calls << QStringLiteral("describe");
                PageDescription description{64};
                description.keepOriginal = keepOriginal;
                return description;
            });
    }

private Q_SLOTS:
    void pageGeometry_pixelSizes_unitsWithinLimit_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSize>("units");
        QTest::newRow("1 x 1") << QSize(1, 1) << QSize(3, 3);
        QTest::newRow("800 x 600") << QSize(800, 600) << QSize(2128, 1596);
        QTest::newRow("12320 square fits") << QSize(12320, 12320) << QSize(32766, 32766);
        QTest::newRow("376 is exactly 1000") << QSize(376, 188) << QSize(1000, 500);
        QTest::newRow("12321 wide scaled") << QSize(12321, 100) << QSize(32767, 266);
        QTest::newRow("20000 x 10") << QSize(20000, 10) << QSize(32767, 16);
        QTest::newRow("10 x 20000") << QSize(10, 20000) << QSize(16, 32767);
        QTest::newRow("30000 square") << QSize(30000, 30000) << QSize(32767, 32767);
        QTest::newRow("thin side stays 1") << QSize(100000, 1) << QSize(32767, 1);
    }

    void pageGeometry_pixelSizes_unitsWithinLimit()
    {
        QFETCH(QSize, pixels);
        QFETCH(QSize, units);
        const PageSize page = pageGeometry(pixels.width(), pixels.height());
        QCOMPARE(QSize(page.width, page.height), units);
    }

    // Lengths in mm, worked out by hand: the sheet, and the picture's rectangle from the sheet's top-left corner.
    void createPagePdf_pictureOnPaper_sheetAndPlacedRectangle_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("format"); // a FREE_IMAGE_FORMAT
        QTest::addColumn<QSize>("dotsPerMetre");
        QTest::addColumn<PaperSize>("paper");
        QTest::addColumn<PaperOrientation>("orientation");
        QTest::addColumn<int>("marginMm");
        QTest::addColumn<QSizeF>("sheetMm");
        QTest::addColumn<QRectF>("pictureMm");
        const auto automatic = PaperOrientation::Automatic;
        QTest::newRow("photo, A4 turns landscape")
            << QSize(400, 300) << int(FIF_PNG) << QSize(0, 0) << PaperSize::A4 << automatic << 10 << QSizeF(297, 210)
            << QRectF(21.83, 10, 253.33, 190);
        QTest::newRow("scan, A4 stays portrait")
            << QSize(248, 351) << int(FIF_PNG) << QSize(0, 0) << PaperSize::A4 << automatic << 10 << QSizeF(210, 297)
            << QRectF(10, 14.04, 190, 268.92);
        QTest::newRow("photo on portrait A4, no margin")
            << QSize(400, 300) << int(FIF_PNG) << QSize(0, 0) << PaperSize::A4 << PaperOrientation::Portrait << 0
            << QSizeF(210, 297) << QRectF(0, 69.75, 210, 157.5);
        QTest::newRow("scan on landscape Letter")
            << QSize(248, 351) << int(FIF_PNG) << QSize(0, 0) << PaperSize::Letter << PaperOrientation::Landscape << 25
            << QSizeF(279.4, 215.9) << QRectF(81.09, 25, 117.21, 165.9);
        QTest::newRow("square on A5, widest margin") << QSize(100, 100) << int(FIF_PNG) << QSize(0, 0) << PaperSize::A5
                                                     << automatic << 50 << QSizeF(148, 210) << QRectF(50, 81, 48, 48);
        QTest::newRow("tiny picture enlarged on Legal")
            << QSize(20, 10) << int(FIF_PNG) << QSize(0, 0) << PaperSize::Legal << automatic << 10
            << QSizeF(355.6, 215.9) << QRectF(10, 24.05, 335.6, 167.8);
        QTest::newRow("portrait on landscape A3")
            << QSize(300, 400) << int(FIF_PNG) << QSize(0, 0) << PaperSize::A3 << PaperOrientation::Landscape << 0
            << QSizeF(420, 297) << QRectF(98.6, 0, 222.8, 297);
        QTest::newRow("as the image") << QSize(400, 300) << int(FIF_PNG) << QSize(0, 0) << PaperSize::AsImage
                                      << automatic << 10 << QSizeF(106.4, 79.8) << QRectF(0, 0, 106.4, 79.8);
        QTest::newRow("1 x 1 gets the smallest page")
            << QSize(1, 1) << int(FIF_PNG) << QSize(0, 0) << PaperSize::AsImage << automatic << 10 << QSizeF(1.1, 1.1)
            << QRectF(0, 0, 1.1, 1.1);
        QTest::newRow("a line keeps its shape on the smallest height")
            << QSize(3000, 1) << int(FIF_PNG) << QSize(0, 0) << PaperSize::AsImage << automatic << 10
            << QSizeF(797.9, 1.1) << QRectF(0, 0.4, 797.9, 0.3);
        // A scan's page at its stated resolution: 248 x 351 at 30 dpi (1181 per metre) is 210 x 297.2 mm.
        const QRectF scan(0, 0, 210, 297.2);
        QTest::newRow("as scanned, PNG") << QSize(248, 351) << int(FIF_PNG) << QSize(1181, 1181) << PaperSize::AsScanned
                                         << automatic << 10 << scan.size() << scan;
        QTest::newRow("as scanned, JPEG") << QSize(248, 351) << int(FIF_JPEG) << QSize(1181, 1181)
                                          << PaperSize::AsScanned << automatic << 10 << scan.size() << scan;
        QTest::newRow("as scanned, TIFF") << QSize(248, 351) << int(FIF_TIFF) << QSize(1181, 1181)
                                          << PaperSize::AsScanned << automatic << 10 << scan.size() << scan;
        // Otherwise the page as the image: 248 x 351 pixels at 0.376 units each.
        const QRectF own(0, 0, 66.0, 93.4);
        const QList<std::pair<const char*, QSize>> fallbacks = {{"none stated", QSize(0, 0)},
                                                                {"below 10 dpi", QSize(197, 197)},
                                                                {"above 10,000 dpi", QSize(393740, 393740)},
                                                                {"unequal across and down", QSize(1181, 2362)}};
        for (const auto& [why, dots] : fallbacks) {
            QTest::newRow(qPrintable(QStringLiteral("as scanned, %1").arg(QLatin1String(why))))
                << QSize(248, 351) << int(FIF_PNG) << dots << PaperSize::AsScanned << automatic << 10 << own.size()
                << own;
        }
    }

    void createPagePdf_pictureOnPaper_sheetAndPlacedRectangle()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, format);
        QFETCH(QSize, dotsPerMetre);
        QFETCH(PaperSize, paper);
        QFETCH(PaperOrientation, orientation);
        QFETCH(int, marginMm);
        QFETCH(QSizeF, sheetMm);
        QFETCH(QRectF, pictureMm);
        TestFolder folder;
        const QString picture = folder.file(QStringLiteral("picture.") +
                                            QString::fromLatin1(FreeImage_GetFormatFromFIF(FREE_IMAGE_FORMAT(format))));
        QFile file(picture);
        const QByteArray bytes =
            freeImageFile(FREE_IMAGE_FORMAT(format), makeTestPicture(pixels.width(), pixels.height()),
                          dotsPerMetre.width(), dotsPerMetre.height());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        const QString pdf = folder.file(QStringLiteral("0.pdf"));
        QpdfPageLibrary library;
        PageDescription description;
        description.paper = paper;
        description.orientation = orientation;
        description.marginMm = marginMm;
        const StageResult result = createPagePdf(library, {nullptr, picture, pdf}, [&] { return description; });
        QVERIFY2(result.ok, qPrintable(result.text));

        // Whole 0.1 mm are what the page library is given.
        constexpr double kMmToPoints = 72 / 25.4;
        constexpr double kTolerance = 0.11 * kMmToPoints;
        const QSizeF sheet = PdfProbe::pageSizes(pdf).value(0);
        const QList<QTransform> drawn = PdfProbe::drawingMatrices(pdf);
        QCOMPARE(drawn.size(), 1);
        const QTransform& m = drawn.first();
        QCOMPARE(m.m12(), 0.0);
        QCOMPARE(m.m21(), 0.0);
        const QRectF placed(m.dx(), sheet.height() - m.dy() - m.m22(), m.m11(), m.m22());
        const QRectF expected(pictureMm.topLeft() * kMmToPoints, pictureMm.size() * kMmToPoints);
        const auto near = [&](double a, double b) { return qAbs(a - b) <= kTolerance; };
        QVERIFY2(near(sheet.width(), sheetMm.width() * kMmToPoints) &&
                     near(sheet.height(), sheetMm.height() * kMmToPoints),
                 qPrintable(QStringLiteral("sheet %1 x %2 pt").arg(sheet.width()).arg(sheet.height())));
        QVERIFY2(near(placed.x(), expected.x()) && near(placed.y(), expected.y()) &&
                     near(placed.width(), expected.width()) && near(placed.height(), expected.height()),
                 qPrintable(QStringLiteral("picture at %1, %2, %3 x %4 pt")
                                .arg(placed.x())
                                .arg(placed.y())
                                .arg(placed.width())
                                .arg(placed.height())));
    }

    void createPagePdf_turnedEntry_pageStandsTurnedOverItsOrientation_data()
    {
        QTest::addColumn<int>("orientation");  // the file's EXIF orientation
        QTest::addColumn<int>("quarterTurns"); // the entry's, clockwise
        QTest::addColumn<int>("shownTurns");   // quarter turns clockwise of the stored picture on the page
        QTest::newRow("turned right") << 1 << 1 << 1;
        QTest::newRow("turned twice") << 1 << 2 << 2;
        QTest::newRow("EXIF 6") << 6 << 0 << 1;
        QTest::newRow("EXIF 6, turned right") << 6 << 1 << 2;
        QTest::newRow("EXIF 6, turned left") << 6 << 3 << 0;
    }

    void createPagePdf_turnedEntry_pageStandsTurnedOverItsOrientation()
    {
        QFETCH(int, orientation);
        QFETCH(int, quarterTurns);
        QFETCH(int, shownTurns);
        TestFolder folder;
        const QImage stored = makeTestPicture(80, 48);
        const QString photo = folder.file(QStringLiteral("photo.jpg"));
        QFile file(photo);
        const QByteArray jpeg = jpegWithOrientation(stored, orientation);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size());
        file.close();
        ImageFile entry(photo);
        entry.quarterTurns = quarterTurns;
        const QString pdf = folder.file(QStringLiteral("0.pdf"));
        QpdfPageLibrary library;
        const StageResult result = createPagePdf(
            library, {nullptr, photo, pdf}, [&](bool, QString* error) { return readPagePicture(entry, false, error); },
            [] { return PageDescription{95}; });
        QVERIFY2(result.ok, qPrintable(result.text));

        // Every corner in its place: the page as poppler draws it against the stored picture turned.
        const QImage expected = stored.transformed(QTransform().rotate(90.0 * shownTurns));
        const QImage rendered = PdfProbe::renderPageAt(pdf, 1, expected.size());
        const double difference = PdfProbe::meanDifference(rendered, expected);
        QVERIFY2(difference >= 0 && difference < 8, qPrintable(QString::number(difference)));
    }

    void createPagePdf_allSucceed_callsInOrderWithQualityOfTheMoment()
    {
        TestFolder folder;
        const QString page = folder.file(QStringLiteral("3.pdf"));
        RecordingLibrary library;
        const StageResult result = runRecorded(library, page);
        QVERIFY2(result.ok, qPrintable(result.text));
        QCOMPARE(library.calls, allCalls(page));
    }

    void createPagePdf_originalKept_jpegDataDrawnAndNothingCompressedLossily()
    {
        TestFolder folder;
        const QString page = folder.file(QStringLiteral("3.pdf"));
        RecordingLibrary library;
        const StageResult result = runRecorded(library, page, false, true);
        QVERIFY2(result.ok, qPrintable(result.text));
        QStringList expected = allCalls(page);
        expected.replace(expected.indexOf(QStringLiteral("normalise")),
                         QStringLiteral("normalise keeping the original"));
        expected.replace(expected.indexOf(QStringLiteral("SetNumProp 7 60 0")), QStringLiteral("SetNumProp 7 60 1"));
        const auto draw = std::find_if(expected.begin(), expected.end(),
                                       [](const QString& call) { return call.startsWith("StretchDrawFromFile"); });
        *draw = QStringLiteral("DrawJpegData 7 0 0 2128 1596");
        QCOMPARE(library.calls, expected);
    }

    void createPagePdf_callFails_stopsThereAndFreesBox_data()
    {
        QTest::addColumn<QString>("failOn");
        QTest::newRow("SetNumProp 44") << "SetNumProp 7 44 1";
        QTest::newRow("SetStrProp 10") << "SetStrProp 7 10";
        QTest::newRow("SetStrProp 14") << "SetStrProp 7 14";
        QTest::newRow("SetNumProp 34") << "SetNumProp 7 34";
        QTest::newRow("SetNumProp 45") << "SetNumProp 7 45";
        QTest::newRow("SetNumProp 52") << "SetNumProp 7 52";
        QTest::newRow("BeginDoc") << "BeginDoc";
        QTest::newRow("StretchDrawFromFile") << "StretchDrawFromFile";
        QTest::newRow("EndDoc") << "EndDoc";
    }

    void createPagePdf_callFails_stopsThereAndFreesBox()
    {
        QFETCH(QString, failOn);
        TestFolder folder;
        const QString page = folder.file(QStringLiteral("3.pdf"));
        RecordingLibrary library;
        library.failOn = failOn;
        const StageResult result = runRecorded(library, page);

        QVERIFY(!result.ok);
        QCOMPARE(result.title, QStringLiteral("PDF"));
        QVERIFY2(result.text.contains(QStringLiteral("The disk is on fire.")), qPrintable(result.text));
        QVERIFY2(result.text.contains(imagePath), qPrintable(result.text));
        QStringList expected = allCalls(page);
        const auto failing = std::find_if(expected.begin(), expected.end(),
                                          [&](const QString& call) { return call.startsWith(failOn); });
        QVERIFY(failing != expected.end());
        expected.erase(failing + 1, expected.end());
        expected << QStringLiteral("FreeBox 7");
        QCOMPARE(library.calls, expected);
        QVERIFY(!QFileInfo::exists(page));
    }

    void createPagePdf_createBoxFails_noFurtherCalls()
    {
        RecordingLibrary library;
        library.failOn = QStringLiteral("CreateBox");
        const StageResult result = runRecorded(library, pagePath);
        QVERIFY(!result.ok);
        QCOMPARE(result.title, QStringLiteral("PDF"));
        QCOMPARE(library.calls, QStringList{QStringLiteral("CreateBox 0")});
    }

    void createPagePdf_normalisationFails_imageFailureAndBoxFreed()
    {
        RecordingLibrary library;
        const StageResult result = runRecorded(library, pagePath, true);
        QVERIFY(!result.ok);
        QCOMPARE(result.title, QStringLiteral("Image"));
        QVERIFY2(result.text.contains(imagePath), qPrintable(result.text));
        QStringList expected = allCalls(pagePath).mid(0, 6);
        expected << QStringLiteral("FreeBox 7");
        QCOMPARE(library.calls, expected);
    }

    void createPagePdf_endDocLeavesNoFile_reportedAsFailure()
    {
        TestFolder folder;
        const QString page = folder.file(QStringLiteral("3.pdf"));
        RecordingLibrary library;
        library.writeFileAtEndDoc = false;
        const StageResult result = runRecorded(library, page);
        QVERIFY(!result.ok);
        QCOMPARE(result.title, QStringLiteral("PDF"));
        QVERIFY2(result.text.contains(folder.path()) && result.text.contains(imagePath), qPrintable(result.text));
        QVERIFY2(!result.text.contains(page), qPrintable(result.text));
    }

    // The real library and the real normalisation, entry after entry as a run makes them.
    void createPagePdf_realLibrary_onePagePerEntryOfTheImageSize()
    {
        TestFolder folder;
        const QString jpgtmp = folder.mkdir(QStringLiteral("jpgtmp"));
        const QString photo = folder.file(QStringLiteral("photo.jpg"));
        QVERIFY(makeTestPicture(800, 600).save(photo, "JPG", 90));
        const QString grey = folder.file(QStringLiteral("grey.png"));
        QVERIFY(makeTestPicture(300, 400).convertToFormat(QImage::Format_Grayscale8).save(grey, "PNG"));
        const QString wide = folder.file(QStringLiteral("wide.png"));
        QVERIFY(makeTestPicture(12400, 30).save(wide, "PNG"));
        const QStringList entries{photo, grey, wide};
        const QList<QSize> expectedUnits{QSize(2128, 1596), QSize(798, 1064), QSize(32767, 79)};

        QpdfPageLibrary library;
        for (int i = 0; i < entries.size(); ++i) {
            const PageJob job{nullptr, entries[i], jpgtmp + QStringLiteral("/%1.pdf").arg(i)};
            const StageResult result = createPagePdf(library, job, [] { return PageDescription{85}; });
            QVERIFY2(result.ok, qPrintable(result.text));
        }

        for (int i = 0; i < entries.size(); ++i) {
            const QString pdf = jpgtmp + QStringLiteral("/%1.pdf").arg(i);
            QVERIFY(PdfProbe::passesQpdfCheck(pdf));
            QCOMPARE(PdfProbe::info(pdf).value(QStringLiteral("Pages")), QStringLiteral("1"));
            const QSizeF size = PdfProbe::pageSizes(pdf).value(0);
            QVERIFY2(qAbs(size.width() - unitsToPoints(expectedUnits[i].width())) < 0.01 &&
                         qAbs(size.height() - unitsToPoints(expectedUnits[i].height())) < 0.01,
                     qPrintable(QStringLiteral("page %1: %2 x %3 pt").arg(i).arg(size.width()).arg(size.height())));
        }
    }

    // The library's messages name the run's own files; in every language the user reads of the list entry and of
    // the temporary folder instead.
    void createPagePdf_realLibraryFails_namesEntryNotRunFiles_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << QString();
        QTest::newRow("German") << QStringLiteral("de");
        QTest::newRow("French") << QStringLiteral("fr");
    }

    void createPagePdf_realLibraryFails_namesEntryNotRunFiles()
    {
        QFETCH(QString, language);
        const Translations translations(QStringList{language.isEmpty() ? QStringLiteral("en") : language});
        QCOMPARE(translations.language(), language);
        TestFolder folder;
        const QString photo = folder.file(QStringLiteral("photo.png"));
        QVERIFY(makeTestPicture(40, 30).save(photo, "PNG"));
        QpdfPageLibrary library;

        const StageResult noPicture = createPagePdf(
            library, {nullptr, photo, folder.file(QStringLiteral("0.pdf"))},
            [](bool, QString*) {
                return std::optional<NormalisedImage>(NormalisedImage{40, 30, nullptr});
            },
            [] { return PageDescription{80}; });
        QVERIFY(!noPicture.ok);
        QVERIFY2(noPicture.text.contains(photo) && !noPicture.text.contains(kNoPicture), qPrintable(noPicture.text));

        const QString gone = folder.file(QStringLiteral("gone"));
        const StageResult noFolder = createPagePdf(library, {nullptr, photo, gone + QStringLiteral("/1.pdf")},
                                                   [] { return PageDescription{80}; });
        QVERIFY(!noFolder.ok);
        QVERIFY2(noFolder.text.contains(photo) && noFolder.text.contains(gone) &&
                     !noFolder.text.contains(QStringLiteral("1.pdf")),
                 qPrintable(noFolder.text));
    }

    void createPagePdf_realLibraryEntryUnreadable_noPageAndNoLeftoverImage()
    {
        TestFolder folder;
        const QString first = folder.file(QStringLiteral("first.png"));
        QVERIFY(makeTestPicture(40, 30).save(first, "PNG"));
        const QString second = folder.write(QStringLiteral("second.png"), "not a picture");

        QpdfPageLibrary library;
        const StageResult made = createPagePdf(library, {nullptr, first, folder.file(QStringLiteral("0.pdf"))},
                                               [] { return PageDescription{80}; });
        QVERIFY2(made.ok, qPrintable(made.text));
        const StageResult failed = createPagePdf(library, {nullptr, second, folder.file(QStringLiteral("1.pdf"))},
                                                 [] { return PageDescription{80}; });
        QVERIFY(!failed.ok);
        QCOMPARE(failed.title, QStringLiteral("Image"));
        QVERIFY2(failed.text.contains(second), qPrintable(failed.text));
        QVERIFY(QFileInfo::exists(folder.file(QStringLiteral("0.pdf"))));
        QVERIFY(!QFileInfo::exists(folder.file(QStringLiteral("1.pdf"))));
    }
};

QTEST_GUILESS_MAIN(TestPageCreation)
#include "tst_pagecreation.moc"
