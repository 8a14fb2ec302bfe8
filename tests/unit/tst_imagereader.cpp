#include "imagereader/ImageFile.h"
#include "imagereader/ImageReader.h"
#include "imagereader/PreviewRead.h"
#include "imagereader/ReaderOutcome.h"
#include "support/ImageCorpus.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QtTest>

#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// Reads the image as the run does, into a file in memory.
ReaderOutcome readPage(ImageReader& reader, const QString& path)
{
    QString error;
    const int input = openImageFile(path, QFile::encodeName(path), &error);
    const int output = ::memfd_create("page", MFD_CLOEXEC);
    if (input < 0 || output < 0) {
        qWarning("%s", qPrintable(error));
    }
    imagereader::Request request;
    std::strncpy(request.fileName, QFile::encodeName(QFileInfo(path).fileName()).constData(),
                 sizeof request.fileName - 1);
    const ReaderOutcome outcome = reader.read(request, input, output);
    ::close(input);
    ::close(output);
    return outcome;
}

// An icon of the test picture, as FreeImage writes it (square, 32 bits).
bool writeIcon(const QString& path)
{
    const Bitmap bitmap = fromQImage(makeTestPicture(64, 64), 32);
    return save(FIF_ICO, bitmap.get(), path);
}

// A plain RGB PSD file of the test picture: header, three empty sections, then the raw channels one after another.
QByteArray psd(const QImage& picture)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly); // big-endian, as PSD is
    out.writeRawData("8BPS", 4);
    out << quint16(1) << quint32(0) << quint16(0) << quint16(3) << quint32(picture.height()) << quint32(picture.width())
        << quint16(8) << quint16(3) << quint32(0) << quint32(0) << quint32(0) << quint16(0);
    for (const int shift : {16, 8, 0}) { // red, green, blue of a QRgb
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                out << quint8(picture.pixel(x, y) >> shift);
            }
        }
    }
    return bytes;
}

} // namespace

// The program's side of the image-reading helper: pages refused when their files end early, and the preview.
// (Its refusals of hostile files and of a misbehaving reader are in tst_faults, through the run.)
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

    void page_fileCutShort_refusedAsDamagedWholeFileRead_data()
    {
        QTest::addColumn<QString>("fileName");
        // a Sample, or -1: written here, or -2: only the cut file is here, or -3: written by the format's encoder
        QTest::addColumn<int>("sample");
        const auto row = [](const char* fileName, int sample) { QTest::newRow(fileName) << fileName << sample; };
        row("colour.bmp", int(Sample::Bmp24));
        row("palette.bmp", int(Sample::Bmp8));
        row("photo.jpg", int(Sample::JpegBaseline420));
        row("picture.png", int(Sample::QtPng));
        row("picture.gif", int(Sample::FreeImageGif));
        row("picture.tif", int(Sample::TiffDeflate));
        row("picture.pcx", int(Sample::Pcx24));
        row("icon.ico", -1);
        row("layers.psd", -1);
        row("phone.heic", -3);
        row("camera.avif", -3);
        row("web.webp", -3);
        row("new.jxl", -3);
        // Cut short where a fuzzer found pages with grey or garbage rows.
        row("bmp-cut-short-silent-page.bmp", -2);
        row("iff-cut-short-silent-page.iff", -2);
        row("pcx-cut-short-silent-page.pcx", -2);
    }

    void page_fileCutShort_refusedAsDamagedWholeFileRead()
    {
        QFETCH(QString, fileName);
        QFETCH(int, sample);
        TestFolder folder;
        const QString path = folder.file(fileName);
        ImageReader reader;
        if (sample == -2) {
            QVERIFY(QFile::copy(QStringLiteral(PAGEWELL_HOSTILE_DIR "/cut-short/") + fileName, path));
        } else {
            if (sample >= 0) {
                QVERIFY(!writeSample(Sample(sample), path, QSize(93, 61)).isNull());
            } else if (sample == -3) {
                const QString failed = writeEncoded(path, makeTestPicture(93, 61));
                QVERIFY2(failed.isEmpty(), qPrintable(failed));
            } else if (fileName.endsWith(QLatin1String(".ico"))) {
                QVERIFY(writeIcon(path));
            } else {
                folder.write(fileName, psd(makeTestPicture(93, 61)));
            }
            const ReaderOutcome whole = readPage(reader, path);
            QVERIFY2(whole.ok(), qPrintable(describeReadFailure(path, whole)));
            QVERIFY(QFile::resize(path, QFileInfo(path).size() * 9 / 10));
        }

        const ReaderOutcome cut = readPage(reader, path);

        QCOMPARE(int(cut.kind), int(ReaderOutcome::Kind::Replied));
        QCOMPARE(int(cut.reply.status), int(imagereader::Status::Damaged));
        const QString message = describeReadFailure(path, cut);
        QVERIFY2(message.contains(path) && message.contains(QStringLiteral("damaged or incomplete")),
                 qPrintable(message));
    }

    void page_preparedReader_readsWithTheHelperItStarted()
    {
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("photo.jpg"));
        QVERIFY(!writeSample(Sample::JpegBaseline420, path, QSize(93, 61)).isNull());
        ImageReader reader;
        QString error;
        QVERIFY2(reader.prepare(&error), qPrintable(error));
        const qint64 started = reader.processId();
        // Asked at once, before the event loop has said that the helper runs.
        const ReaderOutcome read = readPage(reader, path);
        QVERIFY2(read.ok(), qPrintable(describeReadFailure(path, read)));
        QCOMPARE(reader.processId(), started);
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
