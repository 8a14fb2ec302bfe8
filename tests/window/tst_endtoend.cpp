#include "app/CommandLine.h"
#include "app/Translations.h"
#include "conversion/PageCreation.h"
#include "support/ConvertAndCheck.h"
#include "support/FakePdftk.h"
#include "support/ImageCorpus.h"
#include "support/PdfProbe.h"
#include "support/WindowFixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

// Whole runs through the window with the real FreeImage, page library and pdftk; only dialogs are scripted.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void run_mixedImages_pagesInOrder_sizes_information_pixels_data();
    void run_mixedImages_pagesInOrder_sizes_information_pixels();
    void run_lowerQuality_givesSmallerFile();
    void faults_clearMessage_listKept_nothingLeft_data();
    void faults_clearMessage_listKept_nothingLeft();
    void saveCancelled_nothingWritten_noWorkspaceLeft();
    void toolCheckStillOut_busyAndLockedFromClick_cleanRefused();
    void nameNotUtf8_fromCommandLine_converts();

private:
    struct Entry
    {
        QString path;
        QImage expected;
    };
    static QList<Entry> writeImages(const TestFolder& folder, int count);
    static QStringList filesUnder(const QString& folder);
};

void TestEndToEnd::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftk")).isEmpty(), "pdftk is not installed");
}

QList<TestEndToEnd::Entry> TestEndToEnd::writeImages(const TestFolder& folder, int count)
{
    // Every kind of file once, each with its own pixel size so that the page order shows in the page sizes.
    const QList<std::pair<Sample, QString>> kinds = {
        {Sample::QtJpeg, "photo.jpg"},
        {Sample::QtPngAlpha, "alpha.png"},
        {Sample::QtPngGrey, "grey.png"},
        {Sample::QtPngPalette, "palette.png"},
        {Sample::FreeImagePng16Grey, "deep grey.png"},
        {Sample::QtBmp, "plain.bmp"},
        {Sample::FreeImageGif, "anim ü.gif"},
        {Sample::FreeImageTiff16, "deep.tiff"},
        {Sample::FreeImageMultiPageTiff, "pages.tif"},
        {Sample::QtPng, "last.png"},
        {Sample::QtJpeg, "again.JPG"},
    };
    QList<Entry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        const auto& [sample, name] = kinds.at(i % kinds.size());
        const QString path = folder.file(QStringLiteral("in/%1 %2").arg(i).arg(name));
        QDir().mkpath(QFileInfo(path).path());
        entries.append({path, writeSample(sample, path, QSize(60 + 7 * i, 40 + 3 * i))});
    }
    return entries;
}

QStringList TestEndToEnd::filesUnder(const QString& folder)
{
    QStringList found;
    QDir dir(folder);
    const QFileInfoList infos =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& info : infos) {
        found << info.fileName();
    }
    return found;
}

void TestEndToEnd::run_mixedImages_pagesInOrder_sizes_information_pixels_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("language"); // the window's; empty: English
    QTest::newRow("one image") << 1 << QString();
    QTest::newRow("two images") << 2 << QString();
    QTest::newRow("two images, the window in German") << 2 << QStringLiteral("de");
    QTest::newRow("eleven images of every kind") << 11 << QString();
}

void TestEndToEnd::run_mixedImages_pagesInOrder_sizes_information_pixels()
{
    QFETCH(int, count);
    QFETCH(QString, language);
    const Translations translations(QStringList{language});
    QCOMPARE(translations.language(), language);
    WindowFixture f;
    f.useRealStages();
    f.open();
    QList<QImage> expected;
    for (const Entry& entry : writeImages(f.folder, count)) {
        QVERIFY2(!entry.expected.isNull(), qPrintable(entry.path));
        f.addEntries({entry.path});
        expected.append(entry.expected);
    }
    const QString title = QStringLiteral("Über Ærø — 日本の報告, \"quoted\"");
    f.find<QLineEdit>("txtTitle")->setText(title);
    f.find<QLineEdit>("txtCreateFor")->setText(QStringLiteral("Zoë Author"));
    f.find<QLineEdit>("txtSubject")->setText(QStringLiteral("Subject: with colon"));
    f.find<QLineEdit>("txtKeywords")->setText(QStringLiteral("alpha, beta"));
    const QString date = f.text("txtCreationDate");
    const QString destination = f.folder.file(QStringLiteral("out dir/Result é.pdf"));
    QDir().mkpath(QFileInfo(destination).path());

    convertAndCheck(f, destination, expected, 12);
    if (QTest::currentTestFailed()) {
        return;
    }
    const QMap<QString, QString> info = PdfProbe::info(destination);
    QCOMPARE(info.value("Title"), title);
    QCOMPARE(info.value("Author"), QStringLiteral("Zoë Author"));
    QCOMPARE(info.value("Subject"), QStringLiteral("Subject: with colon"));
    QCOMPARE(info.value("Keywords"), QStringLiteral("alpha, beta"));
    QCOMPARE(info.value("Creator"), QStringLiteral("Pagewell"));
    QCOMPARE(info.value("Producer"), QStringLiteral("Pagewell"));
    QCOMPARE(PdfProbe::rawInfo(destination).value("CreationDate"), date);
    QCOMPARE(f.opener.opened(), QList<QUrl>{QUrl::fromLocalFile(destination)});
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(filesUnder(QFileInfo(destination).path()), QStringList{QFileInfo(destination).fileName()});
}

void TestEndToEnd::run_lowerQuality_givesSmallerFile()
{
    qint64 sizes[2] = {};
    const int qualities[2] = {20, 95};
    for (int q = 0; q < 2; ++q) {
        WindowFixture f;
        f.useRealStages();
        f.open();
        const QString photo = f.folder.file(QStringLiteral("photo.png"));
        QVERIFY(makeTestPicture(400, 300).save(photo));
        f.addEntries({photo});
        f.find<QSlider>("Slider1")->setValue(qualities[q]);
        const QString destination = f.folder.file(QStringLiteral("q.pdf"));
        f.dialogs.saveAnswers.push_back(destination);
        f.click(QStringLiteral("Command3"));
        QCOMPARE(f.text("lblPB"), QStringLiteral("Done."));
        sizes[q] = QFileInfo(destination).size();
    }
    QVERIFY2(sizes[0] > 0 && sizes[0] < sizes[1], qPrintable(QStringLiteral("%1 vs %2").arg(sizes[0]).arg(sizes[1])));
}

void TestEndToEnd::faults_clearMessage_listKept_nothingLeft_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("image deleted after it was added") << "deleted"
                                                      << "gone.jpg";
    QTest::newRow("text file with an image name") << "notimage"
                                                  << "notes.png";
    QTest::newRow("pdftk missing") << "nopdftk"
                                   << "pdftk";
    QTest::newRow("destination cannot be written") << "badfolder"
                                                   << "blocked";
}

void TestEndToEnd::faults_clearMessage_listKept_nothingLeft()
{
    QFETCH(QString, fault);
    WindowFixture f;
    f.useRealStages(fault == QStringLiteral("nopdftk") ? f.folder.file(QStringLiteral("no/such/pdftk")) : QString());
    f.open();
    const QString good = f.folder.file(QStringLiteral("good.png"));
    QVERIFY(makeTestPicture(50, 40).save(good));
    QString second = f.folder.file(QStringLiteral("second.png"));
    QVERIFY(makeTestPicture(30, 20).save(second));
    if (fault == QStringLiteral("deleted")) {
        second = f.folder.file(QStringLiteral("gone.jpg"));
    } else if (fault == QStringLiteral("notimage")) {
        second = f.folder.write(QStringLiteral("notes.png"), "plain words, no pixels");
    }
    f.addEntries({good, second});
    // A destination whose folder is a file: nothing can be written there.
    const QString blocker = f.folder.write(QStringLiteral("blocked"), "a file, not a folder");
    const QString existing = f.folder.write(QStringLiteral("existing.pdf"), "keep me");
    f.dialogs.saveAnswers.push_back(fault == QStringLiteral("badfolder") ? blocker + QStringLiteral("/out.pdf")
                                                                         : existing);

    f.click(QStringLiteral("Command3"));

    QCOMPARE(f.messages.shown().size(), 1);
    QCOMPARE(f.messages.shown().first().icon, MessageIcon::Critical);
    QFETCH(QString, messagePart);
    QVERIFY2(f.messages.shown().first().text.contains(messagePart), qPrintable(f.messages.shown().first().text));
    QCOMPARE(f.entries(), (QStringList{good, second}));
    if (fault == QStringLiteral("deleted") || fault == QStringLiteral("notimage")) {
        QCOMPARE(f.list()->currentRow(), 1);
    }
    QVERIFY(f.text("lblPB") != QStringLiteral("Done."));
    QVERIFY(f.opener.opened().isEmpty());
    QCOMPARE(filesUnder(f.workspaceParent), QStringList());
    QFile kept(existing);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep me"));
    QVERIFY(f.find<QWidget>("Command3")->isEnabled());
}

void TestEndToEnd::saveCancelled_nothingWritten_noWorkspaceLeft()
{
    WindowFixture f;
    f.useRealStages();
    f.open();
    const QString image = f.folder.file(QStringLiteral("a.png"));
    QVERIFY(makeTestPicture(20, 20).save(image));
    f.addEntries({image});
    const QStringList before = filesUnder(f.folder.path());
    f.click(QStringLiteral("Command3"));
    QCOMPARE(f.text("lblPB"), QStringLiteral("Nothing was saved."));
    QCOMPARE(f.entries(), QStringList{image});
    QCOMPARE(filesUnder(f.workspaceParent), QStringList());
    QCOMPARE(filesUnder(f.folder.path()), before);
    QVERIFY(f.opener.opened().isEmpty());
}

void TestEndToEnd::toolCheckStillOut_busyAndLockedFromClick_cleanRefused()
{
    WindowFixture f;
    const QString release = f.folder.file(QStringLiteral("release"));
    const QByteArray real = QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("pdftk")));
    // The start-up check takes until the test lets it answer.
    f.useRealStages(writeFakePdftk(f.folder, "if [ \"$1\" = --version ]; then\n"
                                             "  while [ ! -e '" +
                                                 QFile::encodeName(release) +
                                                 "' ]; do sleep 0.05; done\n"
                                                 "fi\nexec '" +
                                                 real + "' \"$@\""));
    f.open();
    QList<QImage> expected;
    for (const Entry& entry : writeImages(f.folder, 2)) {
        f.addEntries({entry.path});
        expected.append(entry.expected);
    }

    // The first tick comes while the run waits for the answer: the only event loop after the click.
    bool tried = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        poll.stop();
        QFile(release).open(QIODevice::WriteOnly); // the answer comes once this tick is over, whatever it finds
        tried = true;
        QCOMPARE(f.text("Command3"), QStringLiteral("Converting..."));
        QVERIFY(!f.toolButton(3)->isEnabled());
        f.window->runToolBarCommand(3); // Clean, as its shortcut would: refused
        QCOMPARE(f.list()->count(), 2);
    });
    poll.start(10);
    convertAndCheck(f, f.folder.file(QStringLiteral("both.pdf")), expected, 12);
    QVERIFY(tried);
}

void TestEndToEnd::nameNotUtf8_fromCommandLine_converts()
{
    WindowFixture f;
    f.useRealStages();
    f.open();
    // A Latin-1 name, as older cameras and archives write them; text would turn its byte into another name.
    const QByteArray raw = QFile::encodeName(f.folder.path()) + "/caf\xe9.png";
    const struct RemoveByHand // Qt cannot remove what it cannot name
    {
        QByteArray path;
        ~RemoveByHand() { ::unlink(path.constData()); }
    } cleanUp{raw};
    const QImage picture = makeTestPicture(90, 60);
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0);
    const bool written = ::write(fd, png.constData(), size_t(png.size())) == png.size();
    QVERIFY(::close(fd) == 0 && written);

    QCOMPARE(f.window->addDroppedPaths(commandLineFiles({raw}, "/")), 1);
    convertAndCheck(f, f.folder.file(QStringLiteral("caf\u00e9.pdf")), {picture}, 12);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
