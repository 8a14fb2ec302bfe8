#include "platform/PropertyStore.h"
#include "preview/FitArithmetic.h"
#include "preview/ShowImage.h"
#include "support/ImageCorpus.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QTest>

class TestPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fitPicture_workedExamples_data();
    void fitPicture_workedExamples();
    void fitPicture_ratioEqualToBox_data();
    void fitPicture_ratioEqualToBox();
    void fitPicture_noArea_givesEmptyRect();
    void showImage_file_shownUprightFittedAndCentred_data();
    void showImage_file_shownUprightFittedAndCentred();
    void resize_larger_readsPictureAgain();
    void drawPicture_noPicture_surfaceUntouched();
    void cls_thenResize_redrawsHeldPicture();
    void showImage_unreadable_reportsAndKeepsPicture();
    void backColor_change_repaintsAndMarksChanged();
    void borderStyle_change_doesNotRedraw();
    void properties_defaultsNotStored_readBackAsDefaults();
    void properties_roundTrip();
    void surfaceMouse_raisesControlEvents();
};

void TestPreview::fitPicture_workedExamples_data()
{
    QTest::addColumn<int>("pw");
    QTest::addColumn<int>("ph");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    // The preview on the main window measures 2895 x 3315.
    QTest::newRow("4:3 fits the width") << 400 << 300 << 0 << 572 << 2895 << 2171;
    QTest::newRow("3:4 fits the height, 204.5 rounds to 204") << 300 << 400 << 204 << 0 << 2486 << 3315;
    QTest::newRow("1:1 fits the width") << 500 << 500 << 0 << 210 << 2895 << 2895;
    QTest::newRow("3:1 fits the width") << 900 << 300 << 0 << 1175 << 2895 << 965;
    QTest::newRow("1:3 fits the height") << 300 << 900 << 895 << 0 << 1105 << 3315;
}

void TestPreview::fitPicture_workedExamples()
{
    QFETCH(int, pw);
    QFETCH(int, ph);
    const FitRect fit = fitPicture(pw, ph, 2895, 3315);
    QTEST(fit.x, "x");
    QTEST(fit.y, "y");
    QTEST(fit.w, "w");
    QTEST(fit.h, "h");
}

void TestPreview::fitPicture_ratioEqualToBox_data()
{
    QTest::addColumn<int>("pw");
    QTest::addColumn<int>("ph");
    QTest::addColumn<int>("bw");
    QTest::addColumn<int>("bh");
    QTest::addColumn<bool>("fullHeight");
    QTest::newRow("landscape equal ratio takes the full height") << 400 << 200 << 800 << 400 << true;
    QTest::newRow("square equal ratio takes the full height") << 50 << 50 << 300 << 300 << true;
    QTest::newRow("portrait equal ratio takes the full width") << 200 << 400 << 300 << 600 << false;
}

void TestPreview::fitPicture_ratioEqualToBox()
{
    QFETCH(int, bw);
    QFETCH(int, bh);
    QFETCH(bool, fullHeight);
    QFETCH(int, pw);
    QFETCH(int, ph);
    const FitRect fit = fitPicture(pw, ph, bw, bh);
    if (fullHeight) {
        QCOMPARE(fit.h, bh);
        QCOMPARE(fit.y, 0);
    } else {
        QCOMPARE(fit.w, bw);
        QCOMPARE(fit.x, 0);
    }
    QCOMPARE(fit.w, bw);
    QCOMPARE(fit.h, bh);
}

void TestPreview::fitPicture_noArea_givesEmptyRect()
{
    QCOMPARE(fitPicture(0, 10, 100, 100).w, 0);
    QCOMPARE(fitPicture(10, 10, 100, 0).h, 0);
}

namespace {

QImage solid(int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Loads the file and waits for the answer about it; error is empty when the picture is shown.
[[nodiscard]] bool load(ShowImage& preview, const QString& file, QString* error)
{
    QSignalSpy finished(&preview, &ShowImage::loadFinished);
    preview.showImage(file);
    if (!finished.wait(60000) || finished.first().at(0).toString() != file) {
        return false;
    }
    *error = finished.first().at(1).toString();
    return true;
}

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

void TestPreview::showImage_file_shownUprightFittedAndCentred_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("sample"); // -1: a camera-sized JPEG
    QTest::addColumn<QSize>("size");
    QTest::newRow("PNG, wide: full width, bars above and below")
        << "wide ü.png" << int(Sample::QtPng) << QSize(300, 100);
    QTest::newRow("TIFF") << "scan.tif" << int(Sample::TiffLzw) << QSize(96, 64);
    QTest::newRow("TIFF named .jpg, read by its content") << "scan.jpg" << int(Sample::TiffLzw) << QSize(64, 96);
    QTest::newRow("PCX") << "paint.pcx" << int(Sample::Pcx24) << QSize(97, 64);
    QTest::newRow("JPEG turned by EXIF orientation 6") << "camera.jpg" << int(Sample::JpegExifRotated) << QSize(96, 64);
    QTest::newRow("JPEG 8000 x 6000") << "big.jpg" << -1 << QSize(8000, 6000);
}

void TestPreview::showImage_file_shownUprightFittedAndCentred()
{
    QFETCH(QString, fileName);
    QFETCH(int, sample);
    QFETCH(QSize, size);
    TestFolder folder;
    const QString file = folder.file(fileName);
    const QImage expected = sample < 0 ? writeLargeJpeg(file, size) : writeSample(Sample(sample), file, size);
    QVERIFY2(!expected.isNull(), "the sample could not be written");

    ShowImage preview;
    preview.setBackColor(0x00FFFFFF); // white, as 0x00BBGGRR
    preview.resize(200, 200);
    preview.show();
    QString error;
    QVERIFY(load(preview, file, &error));
    QCOMPARE(error, QString());

    // Read at the size it is shown at, never larger: a camera photo is not held whole.
    QVERIFY(preview.Picture().width() <= 200 && preview.Picture().height() <= 200);
    const FitRect fit = fitPicture(expected.width(), expected.height(), 200, 200);
    const QImage surface = preview.surfaceImage();
    // The four coloured corners and the middle land where the upright picture has them.
    for (const QPointF at :
         {QPointF(0.1, 0.1), QPointF(0.9, 0.1), QPointF(0.1, 0.9), QPointF(0.9, 0.9), QPointF(0.5, 0.5)}) {
        const QColor want = expected.pixelColor(int(at.x() * expected.width()), int(at.y() * expected.height()));
        const QColor got = surface.pixelColor(fit.x + int(at.x() * fit.w), fit.y + int(at.y() * fit.h));
        QVERIFY2(
            near(got, want, 40),
            qPrintable(
                QStringLiteral("at %1,%2: %3 instead of %4").arg(at.x()).arg(at.y()).arg(got.name(), want.name())));
    }
    // Centred: the room left over is background on both sides.
    const QPoint before = fit.x > 2 ? QPoint(fit.x / 2, 100) : QPoint(100, fit.y / 2);
    const QPoint after = fit.x > 2 ? QPoint(199 - fit.x / 2, 100) : QPoint(100, 199 - fit.y / 2);
    QCOMPARE(surface.pixelColor(before), QColor(Qt::white));
    QCOMPARE(surface.pixelColor(after), QColor(Qt::white));
}

void TestPreview::resize_larger_readsPictureAgain()
{
    TestFolder folder;
    const QString file = folder.file(QStringLiteral("photo.jpg"));
    QVERIFY(makeTestPicture(1600, 1200).save(file, "JPG"));
    ShowImage preview;
    preview.resize(200, 200);
    preview.show();
    QString error;
    QVERIFY(load(preview, file, &error));
    QCOMPARE(error, QString());
    QCOMPARE(preview.Picture().size(), QSize(200, 150));

    preview.resize(400, 300); // no longer enough pixels for the new size: read again
    QTRY_COMPARE_WITH_TIMEOUT(preview.Picture().size(), QSize(400, 300), 30000);
    preview.resize(100, 100); // smaller: the picture in hand will do
    QCOMPARE(preview.Picture().size(), QSize(400, 300));
}

void TestPreview::drawPicture_noPicture_surfaceUntouched()
{
    ShowImage preview;
    preview.resize(100, 100);
    preview.show();
    preview.setBackColor(0x000000FF); // red: the surface is cleared to it
    const QImage before = preview.surfaceImage();
    preview.drawPicture();
    QCOMPARE(preview.surfaceImage(), before);
    QCOMPARE(before.pixelColor(50, 50), QColor(Qt::red));
}

void TestPreview::cls_thenResize_redrawsHeldPicture()
{
    ShowImage preview;
    preview.setBackColor(0x00FFFFFF);
    preview.resize(100, 100);
    preview.show();
    preview.setPicture(solid(10, 10, Qt::blue));
    QCOMPARE(preview.surfaceImage().pixelColor(50, 50), QColor(Qt::blue));

    preview.clear();
    QCOMPARE(preview.surfaceImage().pixelColor(50, 50), QColor(Qt::white));
    QVERIFY(!preview.Picture().isNull()); // still held

    preview.resize(120, 120);
    QCOMPARE(preview.surfaceImage().pixelColor(60, 60), QColor(Qt::blue));
}

void TestPreview::showImage_unreadable_reportsAndKeepsPicture()
{
    TestFolder folder;
    const QString text = folder.write(QStringLiteral("notes.png"), "this is not a picture");
    ShowImage preview;
    preview.resize(80, 80);
    preview.show();
    preview.setPicture(solid(8, 8, Qt::green));

    QString error;
    QVERIFY(load(preview, text, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(load(preview, folder.file(QStringLiteral("missing.jpg")), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(preview.Picture().pixelColor(0, 0), QColor(Qt::green));
    QCOMPARE(preview.surfaceImage().pixelColor(40, 40), QColor(Qt::green));
}

void TestPreview::backColor_change_repaintsAndMarksChanged()
{
    ShowImage preview;
    preview.resize(100, 50);
    preview.show();
    preview.setPicture(solid(10, 10, Qt::blue)); // square in a wide box: bars left and right
    QSignalSpy changed(&preview, &ShowImage::PropertyChanged);
    preview.setBackColor(0x0000FF00); // green
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toString(), QStringLiteral("BackColor"));
    const QImage surface = preview.surfaceImage();
    QCOMPARE(surface.pixelColor(10, 25), QColor(Qt::green));
    QCOMPARE(surface.pixelColor(50, 25), QColor(Qt::blue));
}

void TestPreview::borderStyle_change_doesNotRedraw()
{
    ShowImage preview;
    preview.resize(60, 60);
    preview.show();
    preview.setBackColor(0x00FFFFFF);
    QSignalSpy changed(&preview, &ShowImage::PropertyChanged);
    preview.setBorderStyle(0);
    QCOMPARE(preview.BorderStyle(), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toString(), QStringLiteral("BorderStyle"));
}

void TestPreview::properties_defaultsNotStored_readBackAsDefaults()
{
    MemoryPropertyStore store;
    ShowImage preview;
    preview.WriteProperties(store);
    QVERIFY(!store.contains(QStringLiteral("Picture")));
    QVERIFY(!store.contains(QStringLiteral("BorderStyle")));
    QVERIFY(!store.contains(QStringLiteral("BackColor")));

    ShowImage fresh;
    fresh.setBorderStyle(0);
    fresh.setBackColor(0x123456);
    fresh.ReadProperties(store);
    QCOMPARE(fresh.BorderStyle(), ShowImage::kDefaultBorderStyle);
    QCOMPARE(fresh.BackColor(), ShowImage::kDefaultBackColor);
    QVERIFY(fresh.Picture().isNull());
}

void TestPreview::properties_roundTrip()
{
    MemoryPropertyStore store;
    ShowImage preview;
    preview.setBorderStyle(0);
    preview.setBackColor(0x00336699);
    preview.setPicture(solid(4, 3, Qt::yellow));
    preview.WriteProperties(store);

    ShowImage restored;
    QSignalSpy changed(&restored, &ShowImage::PropertyChanged);
    restored.ReadProperties(store);
    QCOMPARE(changed.count(), 0); // reading marks nothing changed
    QCOMPARE(restored.BorderStyle(), 0);
    QCOMPARE(restored.BackColor(), 0x00336699u);
    QCOMPARE(restored.Picture().size(), QSize(4, 3));
}

void TestPreview::surfaceMouse_raisesControlEvents()
{
    ShowImage preview;
    preview.resize(100, 100);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QSignalSpy clicks(&preview, &ShowImage::Click);
    QSignalSpy downs(&preview, &ShowImage::MouseDown);
    QSignalSpy doubles(&preview, &ShowImage::DblClick);
    auto* surface = preview.findChild<QWidget*>(QStringLiteral("immagine"));
    QVERIFY(surface);
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ShiftModifier, QPoint(30, 40));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(downs.count(), 1);
    QCOMPARE(downs.first().at(0).toInt(), 1); // left button
    QCOMPARE(downs.first().at(1).toInt(), 1); // shift
    QCOMPARE(downs.first().at(2).toFloat(), 30.0f);
    QCOMPARE(downs.first().at(3).toFloat(), 40.0f);
    QTest::mouseDClick(surface, Qt::LeftButton, {}, QPoint(30, 40));
    QCOMPARE(doubles.count(), 1);
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
