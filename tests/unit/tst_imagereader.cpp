#include "imagereader/PreviewRead.h"
#include "support/ImageCorpus.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QtTest>

// The preview's side of the image-reading helper. (Its refusals of hostile files are in tst_faults, through the
// run.)
class TestImageReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void preview_photo_uprightFittedNeverEnlarged_data()
    {
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<QSize>("expected");
        // Stored 960 x 640 sideways (orientation 6): upright it is 640 wide and 960 high.
        QTest::newRow("fitted by height") << QSize(300, 300) << QSize(200, 300);
        QTest::newRow("fitted by width") << QSize(64, 300) << QSize(64, 96);
        QTest::newRow("never enlarged") << QSize(2000, 2000) << QSize(640, 960);
    }

    void preview_photo_uprightFittedNeverEnlarged()
    {
        QFETCH(QSize, maxSize);
        QFETCH(QSize, expected);
        TestFolder folder;
        const QString photo =
            folder.write(QStringLiteral("camera.jpg"), jpegWithOrientation(makeTestPicture(960, 640), 6));
        PreviewRead preview;
        QSignalSpy finished(&preview, &PreviewRead::finished);

        preview.request(photo, maxSize);

        QVERIFY(preview.isBusy());
        QVERIFY(finished.wait(20000));
        const QImage image = finished.at(0).at(1).value<QImage>();
        QVERIFY2(!image.isNull(), qPrintable(finished.at(0).at(2).toString()));
        QCOMPARE(image.size(), expected);
        // Red is at the stored picture's top left; turned a quarter clockwise it is at the top right.
        const QRgb topRight = image.pixel(image.width() - 2, 1);
        QVERIFY2(qRed(topRight) > 200 && qGreen(topRight) < 60 && qBlue(topRight) < 60,
                 qPrintable(QString::number(topRight, 16)));
    }

    void preview_newRequest_cancelsTheRunningOne_unreadableGivesReason()
    {
        TestFolder folder;
        const QString first = folder.file(QStringLiteral("first.png"));
        QVERIFY(makeTestPicture(2000, 1500).save(first));
        const QString notes = folder.write(QStringLiteral("notes.png"), "Shopping list\n");
        PreviewRead preview;
        QSignalSpy finished(&preview, &PreviewRead::finished);

        preview.request(first, QSize(100, 100));
        preview.request(notes, QSize(100, 100));

        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toString(), notes);
        QVERIFY(finished.at(0).at(1).value<QImage>().isNull());
        const QString reason = finished.at(0).at(2).toString();
        QVERIFY2(reason.contains(notes) && reason.contains(QStringLiteral("not an image")), qPrintable(reason));
        QVERIFY(!preview.isBusy());
    }
};

QTEST_GUILESS_MAIN(TestImageReader)
#include "tst_imagereader.moc"
