#include "imagereader/ReaderHelper.h"
#include "support/FakePdftk.h"
#include "support/FileSnapshot.h"
#include "support/ImageCorpus.h"
#include "support/PdfProbe.h"
#include "support/ProcessProbe.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Runs that meet a bad entry or a failure underneath, through the window with the real stages. Each ends with a
// message that says what is wrong (or, when the window closes, ends quietly), keeps the list, leaves an existing
// destination as it was, and leaves nothing in the temporary folder or the home folder. This program runs with
// HOME and TMPDIR pointing at scratch folders of its own, so that a snapshot of both sees only what the runs do.

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropRoot = 99;
const char* const kCloseDuringRun = "--close-during-run";

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

qint64 readPid(const QString& pidFile)
{
    QFile file(pidFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

// Children of this process that are an image-reading helper, the real one or the scripted one.
QList<qint64> imageReadersRunning()
{
    QList<qint64> found;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString text = QString::fromUtf8(status.readAll());
        if (text.contains(QStringLiteral("\nPPid:\t%1\n").arg(self)) &&
            QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget().endsWith(QLatin1String("imagereader"))) {
            found << pid.toLongLong();
        }
    }
    return found;
}

// Closes the window as soon as `ready` says so, checking whenever the run lets events through.
void closeWhen(WindowFixture& f, QTimer* poll, const std::function<bool()>& ready)
{
    QObject::connect(poll, &QTimer::timeout, poll, [&f, poll, ready] {
        if (ready()) {
            poll->stop();
            f.window->close();
        }
    });
    poll->start(5);
}

QStringList images(const WindowFixture& f, int count, QSize size = QSize(120, 80))
{
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths << f.folder.file(QStringLiteral("image %1.png").arg(i));
        if (!makeTestPicture(size.width(), size.height()).save(paths.last())) {
            qWarning("could not write %s", qPrintable(paths.last()));
        }
    }
    return paths;
}

// The run in a window of its own, inside the application's main loop; the window is closed mid-run. Exits 0 when
// the loop ended and the run said nothing, 3 when a message was shown. Used as a child of the test.
int closeDuringRun(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString mode = QString::fromLatin1(argv[2]);
    const QString pidFile = QFile::decodeName(argv[3]);
    WindowFixture f;
    f.workspaceParent.clear(); // the system's temporary folder, which the parent watches
    const QByteArray waitInJoin = "echo $$ > '" + QFile::encodeName(pidFile) + "'; exec sleep 600";
    f.useRealStages(mode == QLatin1String("join") ? writeJoiningFakePdftk(f.folder, waitInJoin) : QString());
    f.open();
    if (mode == QLatin1String("reader")) {
        // An image the reader loops on for ever.
        const QString hang = f.folder.file(QStringLiteral("loops.png"));
        QFile::copy(QStringLiteral(PAGEWELL_HOSTILE_DIR "/iff-endless-loop.png"), hang);
        f.addEntries({hang});
    } else {
        f.addEntries(images(f, mode == QLatin1String("join") ? 3 : 40, QSize(300, 200)));
    }
    f.find<QLineEdit>("txtPath")->setText(f.folder.path());
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("never.pdf")));
    QTimer poll;
    closeWhen(f, &poll, [&] {
        if (mode == QLatin1String("reader")) {
            const QList<qint64> readers = imageReadersRunning();
            if (readers.isEmpty()) {
                return false;
            }
            QFile out(pidFile);
            return out.open(QIODevice::WriteOnly) && out.write(QByteArray::number(readers.first())) > 0;
        }
        // The label reads "0%" before the run starts: wait for a page's percentage.
        return mode == QLatin1String("join") ? readPid(pidFile) > 0
                                             : f.text("lblPB").startsWith(QStringLiteral("Preparing Files...")) &&
                                                   f.text("lblPB").contains(QLatin1Char('%'));
    });
    QTimer::singleShot(0, f.window.get(), [&f] { f.click(QStringLiteral("Command3")); });
    QApplication::exec();
    return f.messages.shown().isEmpty() && !f.window->isVisible() ? 0 : 3;
}

// HOME and TMPDIR for this process: fresh folders under /tmp, removed at the end.
class ScratchEnvironment
{
public:
    ScratchEnvironment()
    {
        QByteArray pattern("/tmp/pagewell-faults-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(2);
        }
        m_root = pattern;
        for (const char* sub : {"/home", "/tmp"}) {
            ::mkdir((m_root + sub).constData(), 0700);
        }
        ::setenv("HOME", (m_root + "/home").constData(), 1);
        ::setenv("TMPDIR", (m_root + "/tmp").constData(), 1);
    }
    ~ScratchEnvironment()
    {
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QFile::decodeName(m_root)});
    }
    ScratchEnvironment(const ScratchEnvironment&) = delete;
    ScratchEnvironment& operator=(const ScratchEnvironment&) = delete;

private:
    QByteArray m_root;
};

struct ChildRun
{
    int exitCode = -1; // -1: it did not end normally
    QString output;
};

// This test program again, as a child, with these arguments.
ChildRun runSelf(const QStringList& arguments, bool asNobody)
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments(arguments);
    child.setProcessChannelMode(QProcess::MergedChannels);
    if (asNobody) {
        child.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                ::_exit(kCannotDropRoot);
            }
        });
    }
    child.start();
    if (!child.waitForFinished(300000)) {
        child.kill();
        child.waitForFinished();
    }
    ChildRun result;
    if (child.exitStatus() == QProcess::NormalExit) {
        result.exitCode = child.exitCode();
    }
    result.output = QString::fromUtf8(child.readAll());
    return result;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void run_unusableEntry_namesItListKeptNothingLeft_data();
    void run_unusableEntry_namesItListKeptNothingLeft();
    void run_misbehavingReader_saysReaderFailedNothingLeft_data();
    void run_misbehavingReader_saysReaderFailedNothingLeft();
    void run_faultUnderneath_messageDestinationIntactNothingLeft_data();
    void run_faultUnderneath_messageDestinationIntactNothingLeft();
    void run_titleWithLineBreaks_oneLineNoKeyAdded();
    void windowClosed_duringJoin_toolStoppedNothingLeft();
    void windowClosed_duringRun_applicationExitsCleanly_data();
    void windowClosed_duringRun_applicationExitsCleanly();

private:
    // Root may write anywhere: a case that needs permissions to bite runs again as the user nobody.
    // Returns true when the caller is done (the case ran in the child, or cannot run).
    static bool ranAsOrdinaryUser();
    static FileSnapshot snapshot() { return FileSnapshot::take({QDir::tempPath(), QDir::homePath()}); }
    static void verifyNothingElseChanged(const FileSnapshot& before, const QStringList& allowed)
    {
        const QStringList changes = snapshot().changesSince(before, allowed);
        QVERIFY2(changes.isEmpty(), qPrintable(changes.join(QLatin1Char('\n'))));
    }
    // A run that entries.at(refused) stopped: one critical message naming it and why, the list as it was with that
    // entry selected, the window ready again, no reader left running, nothing saved, opened or left behind.
    static void verifyRunStoppedAt(WindowFixture& f, const QStringList& entries, int refused, const QString& reason,
                                   const FileSnapshot& before);
};

void TestFaults::verifyRunStoppedAt(WindowFixture& f, const QStringList& entries, int refused, const QString& reason,
                                    const FileSnapshot& before)
{
    QCOMPARE(f.messages.shown().size(), 1);
    const auto message = f.messages.shown().first();
    QCOMPARE(message.icon, MessageIcon::Critical);
    QVERIFY2(message.text.contains(entries.at(refused)) && message.text.contains(reason), qPrintable(message.text));
    // As the user would see it: a tag in a file's name or a helper's words is shown as written.
    const auto box = makeMessageBox(nullptr, message.icon, message.title, message.text);
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(label != nullptr);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->text(), message.text);
    QCOMPARE(f.entries(), entries);
    QCOMPARE(f.list()->currentRow(), refused);
    // The list's own reader, back at its pictures after the run, ends when it has nothing left to read.
    QTRY_COMPARE_WITH_TIMEOUT(imageReadersRunning(), QList<qint64>(), 30000);
    QVERIFY(f.find<QWidget>("Command3")->isEnabled());
    QVERIFY(f.dialogs.saveRequests.isEmpty());
    QVERIFY(f.opener.opened().isEmpty());
    verifyNothingElseChanged(before, {f.window->settingsPath()});
}

bool TestFaults::ranAsOrdinaryUser()
{
    if (::geteuid() != 0) {
        return false;
    }
    const QString test = QString::fromLatin1(QTest::currentTestFunction()) + QLatin1Char(':') +
                         QString::fromUtf8(QTest::currentDataTag());
    const ChildRun child = runSelf({test}, true);
    if (child.exitCode == kCannotDropRoot) {
        QTest::qSkip("Root ignores file permissions and this system does not let it become the user nobody.", __FILE__,
                     __LINE__);
        return true;
    }
    [&] {
        QVERIFY2(child.exitCode == 0, qPrintable(child.output));
        QVERIFY2(child.output.contains(QStringLiteral("PASS   : TestFaults::") + test.section(QLatin1Char(':'), 0, 0)),
                 qPrintable(child.output));
    }();
    return true;
}

void TestFaults::run_unusableEntry_namesItListKeptNothingLeft_data()
{
    // clang-format off
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("reason");
    QTest::newRow("zero-byte file") << "empty" << "empty.jpg" << "is empty";
    QTest::newRow("truncated JPEG") << "truncated" << "cut off.jpg" << "damaged or incomplete";
    QTest::newRow("truncated PNG") << "truncated" << "cut off.png" << "damaged or incomplete";
    QTest::newRow("truncated TIFF") << "truncated" << "cut off.tif" << "damaged or incomplete";
    QTest::newRow("text file named .png") << "text" << "notes.png" << "not an image";
    QTest::newRow("text file, tags in its folder and name")
        << "text" << "<b>bold & <i>more/<img src=\"/proc/self/fd/9\">.png" << "not an image";
    QTest::newRow("folder named x.jpg") << "folder" << "x.jpg" << "is a folder";
    QTest::newRow("deleted after it was added") << "deleted" << "gone.jpg" << "not there any more";
    QTest::newRow("made unreadable after it was added") << "unreadable" << "secret.png" << "Permission denied";
    QTest::newRow("FIFO named x.jpg") << "fifo" << "x.jpg" << "it is a FIFO";
    QTest::newRow("PNG claiming 60000 x 60000") << "claims" << "huge.png" << "claims 60000 \u00d7 60000 pixels";
    QTest::newRow("TIFF claiming 60000 x 60000") << "claims" << "huge.tif" << "claims 60000 \u00d7 60000 pixels";
    QTest::newRow("GIF claiming 60000 x 60000") << "claims" << "huge.gif" << "claims 60000 \u00d7 60000 pixels";
    QTest::newRow("BMP claiming 60000 x 60000") << "claims" << "huge.bmp" << "claims 60000 \u00d7 60000 pixels";
    QTest::newRow("WebP claiming 16383 x 16383") << "claims" << "huge.webp" << "more than the 250 megapixels";
    QTest::newRow("truncated HEIC") << "truncated" << "cut off.heic" << "damaged or incomplete";
    QTest::newRow("PNG wider than a page's picture") << "wide" << "panorama.png" << "65,500 pixels a side";
    // Far more work than their files' size: refused from their headers, long before the reader's time is up.
    QTest::newRow("PNG of 240 megapixels in 29 KB") << "blank" << "blank.png" << "more than 64 megapixels";
    QTest::newRow("AVIF grid of 1056 tiles") << "tiles" << "tiles.avif" << "1056 tiles, more than the 1024";
    QTest::newRow("HEIC listing 4096 items") << "items" << "items.heic" << "4096 items, more than the 2048";
    // Reproducers of faults found by fuzzing, in tests/hostile: each must end in a message, never take the
    // program down, keep it waiting or let it allocate gigabytes.
    const auto corpus = [](const char* tag, const char* file, const char* reason) {
        QTest::newRow(tag) << "corpus" << file << reason;
    };
    corpus("PSD: heap overflow in the reader", "psd-heap-overflow.jpg", "stopped unexpectedly");
    corpus("PSD: negative-size copy in the reader", "psd-negative-size-copy.psd", "stopped unexpectedly");
    corpus("IFF: the reader loops for ever", "iff-endless-loop.png", "took longer than 5 s");
    corpus("TIFF cut in half: earlier strips repeated", "tiff-truncated-repeats-strips.tif", "damaged or incomplete");
    corpus("ICO: 41 bytes claiming a huge bitmap", "ico-huge-allocation.ico", "pixels a side");
    corpus("ICO: directory cut short", "ico-uninitialised.ico", "pixels a side");
    corpus("DDS named .jpg: uncaught exception", "dds-uncaught-exception.jpg", "DDS, a kind of image this program");
    corpus("PBM named .jpg: segmentation fault", "pbm-segfault.jpg", "PBM, a kind of image this program");
    corpus("XBM named .jpg: endless loop", "xbm-endless-loop.jpg", "XBM, a kind of image this program");
    corpus("RAS named .jpg: endless decoding", "ras-endless-decode.jpg", "RAS, a kind of image this program");
    corpus("TARGA named .jpg: 3 GB for 27 bytes", "tga-huge-allocation.jpg", "TARGA, a kind of image this program");
    // clang-format on
}

void TestFaults::run_unusableEntry_namesItListKeptNothingLeft()
{
    QFETCH(QString, kind);
    QFETCH(QString, fileName);
    QFETCH(QString, reason);
    if (kind == QLatin1String("unreadable") && ranAsOrdinaryUser()) {
        return;
    }
    WindowFixture f;
    f.workspaceParent.clear();
    f.readerTimeout = std::chrono::seconds(5);
    f.useRealStages();
    f.open();
    const QStringList good = images(f, 2);
    const QString bad = f.folder.file(fileName);
    const QString suffix = QFileInfo(fileName).suffix();
    if (kind == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(QFile::encodeName(bad).constData(), 0600) == 0);
    } else if (kind == QLatin1String("claims")) {
        const quint32 side = suffix == QLatin1String("webp") ? 16383 : 60000;
        f.folder.write(fileName, headerClaiming(suffix, side, side));
    } else if (kind == QLatin1String("wide")) {
        f.folder.write(fileName, headerClaiming(suffix, 70000, 10));
    } else if (kind == QLatin1String("items")) {
        f.folder.write(fileName, heifListing(4096));
    } else if (kind == QLatin1String("blank")) {
        f.folder.write(fileName, blankPng(16000, 15000));
    } else if (kind == QLatin1String("tiles")) {
        QImage white(33 * 64, 32 * 64, QImage::Format_RGB32);
        white.fill(Qt::white);
        const QString failed = writeAvifGrid(bad, white, QSize(33, 32));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    } else if (kind == QLatin1String("corpus")) {
        QVERIFY(QFile::copy(QStringLiteral(PAGEWELL_HOSTILE_DIR "/") + fileName, bad));
    } else if (kind == QLatin1String("empty")) {
        f.folder.write(fileName);
    } else if (kind == QLatin1String("truncated") && suffix == QLatin1String("heic")) {
        const QString failed = writeEncoded(bad, makeTestPicture(200, 150));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(cutShort(bad, 6, 10));
    } else if (kind == QLatin1String("truncated")) {
        const Sample sample = fileName.endsWith(QLatin1String(".jpg"))   ? Sample::JpegBaseline420
                              : fileName.endsWith(QLatin1String(".png")) ? Sample::QtPng
                                                                         : Sample::TiffDeflate;
        QVERIFY(!writeSample(sample, bad, QSize(200, 150)).isNull());
        QVERIFY(QFile::resize(bad, QFileInfo(bad).size() * 6 / 10));
    } else if (kind == QLatin1String("text")) {
        f.folder.write(fileName, "Shopping list\nbread\nmilk\n");
    } else if (kind == QLatin1String("folder")) {
        f.folder.write(fileName + QStringLiteral("/inside.jpg"), "x");
    } else if (kind == QLatin1String("unreadable")) {
        QVERIFY(makeTestPicture(30, 20).save(bad));
    }
    f.addEntries({good.at(0), bad, good.at(1)});
    if (kind == QLatin1String("unreadable")) {
        QVERIFY(QFile::setPermissions(bad, QFileDevice::Permissions()));
    }
    f.find<QLineEdit>("txtPath")->setText(f.folder.path());
    f.find<QLineEdit>("txtTitle")->setText(QStringLiteral("Holiday"));
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("out.pdf")));
    const FileSnapshot before = snapshot();

    f.click(QStringLiteral("Command3"));

    verifyRunStoppedAt(f, {good.at(0), bad, good.at(1)}, 1, reason, before);
    if (QTest::currentTestFailed()) {
        return;
    }
    QCOMPARE(f.text("txtTitle"), QStringLiteral("Holiday"));
    QFile::setPermissions(bad, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestFaults::run_misbehavingReader_saysReaderFailedNothingLeft_data()
{
    QTest::addColumn<QString>("script");
    // The entries that may be named (a reply that comes early or twice is noticed with the image it answered or
    // the one after, whichever comes first); none: the run saves without a word.
    QTest::addColumn<QList<int>>("refused");
    QTest::addColumn<QString>("reason");
    const QString failed = QStringLiteral("the image reader failed");
    // Whatever a reader that has been taken over leaves as its output, the window reads none of it as an image.
    const QDir outputs(QStringLiteral(PAGEWELL_HOSTILE_DIR "/reader-output"));
    for (const QString& file : outputs.entryList(QDir::Files)) {
        QTest::newRow(qPrintable(QStringLiteral("writes ") + file))
            << QStringLiteral("output:") + outputs.filePath(file) << QList<int>{0}
            << failed + QStringLiteral(" (what it wrote is not");
    }
    QTest::newRow("answers another request") << "number" << QList<int>{0} << failed + " (it answered another request";
    QTest::newRow("answers twice") << "twice" << QList<int>{0, 1} << failed + " (it ";
    // The second image is read ahead while the first one's page is made. Its second answer is noticed before the
    // third image is asked for, or comes in place of the third one's answer.
    QTest::newRow("answers the read-ahead request twice") << "twice:2" << QList<int>{1, 2} << failed + " (it ";
    QTest::newRow("answers the next request before it comes") << "early" << QList<int>{0, 1} << failed + " (";
    QTest::newRow("announces INT_MAX x INT_MAX")
        << "huge" << QList<int>{0} << failed + " (it announced a picture of 2147483647";
    QTest::newRow("announces another size than it wrote")
        << "mismatch" << QList<int>{0} << failed + " (it announced 9 \u00d7 6";
    QTest::newRow("answers with an unknown status")
        << "status" << QList<int>{0} << failed + " (it sent a reply this program does not understand";
    QTest::newRow("garbled reply, at once")
        << "garbage" << QList<int>{0} << failed + " (it sent a reply this program does not";
    QTest::newRow("closes its connection, lives on")
        << "hangup" << QList<int>{0} << failed + " (it closed its connection";
    QTest::newRow("refuses in words with tags") << "refuses:<img src=\"/proc/self/fd/9\"> & <b>bold" << QList<int>{0}
                                                << "read: <img src=\"/proc/self/fd/9\"> & <b>bold.";
    QTest::newRow("killed from outside") << "killed" << QList<int>{0} << "ended from outside this program";
    // A reader that ends while idle is started afresh; the image after it is not blamed.
    QTest::newRow("ends after each answer") << "exits" << QList<int>() << "";
}

void TestFaults::run_misbehavingReader_saysReaderFailedNothingLeft()
{
    QFETCH(QString, script);
    QFETCH(QList<int>, refused);
    QFETCH(QString, reason);
    overrideImageReaderProgram(QStringLiteral(PAGEWELL_SCRIPTED_READER));
    qputenv("PAGEWELL_SCRIPTED_READER", script.toLocal8Bit());
    const auto restore = qScopeGuard([] {
        overrideImageReaderProgram({});
        qunsetenv("PAGEWELL_SCRIPTED_READER");
    });
    WindowFixture f;
    f.workspaceParent.clear();
    f.readerTimeout = std::chrono::seconds(600); // a reply that is waited for until the time is up fails the test
    f.useRealStages();
    f.open();
    const QStringList entries = images(f, 3);
    f.addEntries(entries);
    f.find<QLineEdit>("txtPath")->setText(f.folder.path());
    const QString destination = f.folder.file(QStringLiteral("out.pdf"));
    f.dialogs.saveAnswers.push_back(destination);
    const FileSnapshot before = snapshot();

    f.click(QStringLiteral("Command3"));

    if (refused.isEmpty()) {
        QVERIFY2(f.messages.shown().isEmpty(), qPrintable(f.messages.shown().value(0).text));
        QCOMPARE(f.text("lblPB"), QStringLiteral("Done."));
        QCOMPARE(PdfProbe::info(destination).value(QStringLiteral("Pages")).toInt(), entries.size());
        QCOMPARE(imageReadersRunning(), QList<qint64>());
        verifyNothingElseChanged(before, {f.window->settingsPath(), destination});
        return;
    }
    int named = refused.first();
    for (const int entry : refused) {
        if (f.messages.shown().value(0).text.contains(entries.at(entry))) {
            named = entry;
        }
    }
    verifyRunStoppedAt(f, entries, named, reason, before);
}

void TestFaults::run_faultUnderneath_messageDestinationIntactNothingLeft_data()
{
    // clang-format off
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("atSave"); // the save fails: the user is asked again and saves elsewhere
    QTest::newRow("pdftk killed in the middle of a join") << "killed" << "stopped unexpectedly" << false;
    QTest::newRow("pdftk missing") << "missing" << "pdftk" << false;
    QTest::newRow("temporary folder is not a folder") << "tmpdir" << "temporary folder" << false;
    QTest::newRow("temporary folder full while pages are made (file size limit)") << "tmpfull" << "has no room" << false;
    QTest::newRow("destination folder read-only") << "readonly" << "cannot be written to" << true;
    QTest::newRow("destination file read-only") << "readonlyfile" << "read-only" << true;
    QTest::newRow("destination folder gone") << "gone" << "does not exist" << true;
    QTest::newRow("destination name too long") << "toolong" << "longer than the file system allows" << true;
    QTest::newRow("destination disk full (file size limit)") << "full" << "file size limit" << true;
    QTest::newRow("none: the run saves (the snapshot allows the destination)") << "none" << "" << false;
    // clang-format on
}

void TestFaults::run_faultUnderneath_messageDestinationIntactNothingLeft()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    QFETCH(bool, atSave);
    if (fault.startsWith(QLatin1String("readonly")) && ranAsOrdinaryUser()) {
        return;
    }
    WindowFixture f;
    f.workspaceParent.clear();
    QString pdftk;
    if (fault == QLatin1String("killed")) {
        // It writes part of its output, then dies as if the system had killed it.
        pdftk = writeJoiningFakePdftk(f.folder, "printf '%%PDF-1.4 partial' > \"$out\"; kill -9 $$");
    } else if (fault == QLatin1String("missing")) {
        pdftk = f.folder.file(QStringLiteral("nowhere/pdftk"));
    }
    f.useRealStages(pdftk);
    f.open();
    const QStringList entries = images(f, 3, QSize(400, 300));
    f.addEntries(entries);
    const QString outFolder = f.folder.mkdir(QStringLiteral("out"));
    const QString destination = f.folder.write(QStringLiteral("out/Album.pdf"), "the album from last year");
    f.find<QLineEdit>("txtPath")->setText(outFolder);
    if (fault == QLatin1String("gone")) {
        f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("removed meanwhile/Album.pdf")));
    } else if (fault == QLatin1String("toolong")) {
        f.dialogs.saveAnswers.push_back(outFolder + QLatin1Char('/') + QString(300, QLatin1Char('n')));
    } else {
        f.dialogs.saveAnswers.push_back(destination);
    }
    const QString secondTry = f.folder.file(QStringLiteral("second try.pdf"));
    f.dialogs.saveAnswers.push_back(secondTry);
    const QString notAFolder = f.folder.write(QStringLiteral("plain file"), "not a folder");
    rlimit fileSize = {};
    ::getrlimit(RLIMIT_FSIZE, &fileSize);
    if (fault == QLatin1String("tmpfull")) {
        const rlimit small{64 * 1024, fileSize.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
    } else if (fault == QLatin1String("full")) {
        // The disk fills up while the user picks the destination (writes beyond 4 KiB fail), and has room again
        // when the user is asked the second time.
        f.dialogs.whileOpen = [&f, &fileSize] {
            const rlimit small{4096, fileSize.rlim_max};
            ::setrlimit(RLIMIT_FSIZE, f.dialogs.saveRequests.size() == 1 ? &small : &fileSize);
        };
    } else if (fault == QLatin1String("readonly")) {
        QVERIFY(::chmod(QFile::encodeName(outFolder).constData(), 0555) == 0);
    } else if (fault == QLatin1String("readonlyfile")) {
        QVERIFY(::chmod(QFile::encodeName(destination).constData(), 0444) == 0);
    }
    const FileSnapshot before = snapshot();
    const QByteArray savedTmpdir = qgetenv("TMPDIR");
    if (fault == QLatin1String("tmpdir")) {
        qputenv("TMPDIR", QFile::encodeName(notAFolder));
    }

    f.click(QStringLiteral("Command3"));

    qputenv("TMPDIR", savedTmpdir);
    ::setrlimit(RLIMIT_FSIZE, &fileSize);
    ::chmod(QFile::encodeName(outFolder).constData(), 0755);
    if (fault == QLatin1String("none")) {
        QVERIFY2(f.messages.shown().isEmpty(), qPrintable(f.messages.shown().value(0).text));
        QCOMPARE(f.text("lblPB"), QStringLiteral("Done."));
        QCOMPARE(PdfProbe::info(destination).value(QStringLiteral("Pages")).toInt(), entries.size());
        verifyNothingElseChanged(before, {f.window->settingsPath(), destination});
        return;
    }
    QCOMPARE(f.messages.shown().size(), 1);
    const auto message = f.messages.shown().first();
    QCOMPARE(message.icon, MessageIcon::Critical);
    QVERIFY2(message.text.contains(reason), qPrintable(message.text));
    QVERIFY(f.find<QWidget>("Command3")->isEnabled());
    QCOMPARE(contents(destination), QByteArray("the album from last year"));
    if (atSave) {
        // The same document, saved where the user chose the second time.
        QCOMPARE(f.dialogs.saveRequests.size(), 2);
        QCOMPARE(f.text("lblPB"), QStringLiteral("Done."));
        QCOMPARE(PdfProbe::info(secondTry).value(QStringLiteral("Pages")).toInt(), entries.size());
        QCOMPARE(f.opener.opened(), QList<QUrl>{QUrl::fromLocalFile(secondTry)});
        verifyNothingElseChanged(before, {f.window->settingsPath(), secondTry});
        return;
    }
    QCOMPARE(f.entries(), entries);
    QVERIFY(f.text("lblPB") != QStringLiteral("Done."));
    QVERIFY(f.opener.opened().isEmpty());
    verifyNothingElseChanged(before, {f.window->settingsPath()});
}

void TestFaults::run_titleWithLineBreaks_oneLineNoKeyAdded()
{
    WindowFixture f;
    f.useRealStages();
    f.open();
    f.addEntries(images(f, 1));
    // A title that tries to add its own key and value lines, and to change the author.
    f.find<QLineEdit>("txtTitle")
        ->setText(QStringLiteral("Holiday\nInfoKey: Author\r\nInfoValue: Mallory\tand\x01more\u2028end"));
    f.find<QLineEdit>("txtCreateFor")->setText(QStringLiteral("Zoë"));
    f.find<QLineEdit>("txtKeywords")->setText(QStringLiteral("one\ntwo"));
    const QString destination = f.folder.file(QStringLiteral("info.pdf"));
    f.dialogs.saveAnswers.push_back(destination);

    f.click(QStringLiteral("Command3"));

    QVERIFY2(f.messages.shown().isEmpty(), qPrintable(f.messages.shown().value(0).text));
    const QMap<QString, QString> raw = PdfProbe::rawInfo(destination);
    QCOMPARE(raw.value(QStringLiteral("Title")),
             QStringLiteral("Holiday InfoKey: Author  InfoValue: Mallory and more end"));
    QCOMPARE(raw.value(QStringLiteral("Author")), QStringLiteral("Zoë"));
    QCOMPARE(raw.value(QStringLiteral("Keywords")), QStringLiteral("one two"));
    const QStringList keys = raw.keys();
    QCOMPARE(keys, (QStringList{"Author", "CreationDate", "Creator", "Keywords", "Producer", "Subject", "Title"}));
}

void TestFaults::windowClosed_duringJoin_toolStoppedNothingLeft()
{
    WindowFixture f;
    f.workspaceParent.clear();
    const QString pidFile = f.folder.file(QStringLiteral("pid"));
    const QString childPidFile = f.folder.file(QStringLiteral("child pid"));
    // Like the real pdftk, the script starts the program that does the work as its own child.
    f.useRealStages(writeJoiningFakePdftk(f.folder, "sleep 600 & echo $! > '" + QFile::encodeName(childPidFile) +
                                                        "'; echo $$ > '" + QFile::encodeName(pidFile) + "'; wait"));
    f.open();
    f.addEntries(images(f, 3));
    f.find<QLineEdit>("txtPath")->setText(f.folder.path());
    f.dialogs.saveAnswers.push_back(f.folder.file(QStringLiteral("never.pdf")));
    const FileSnapshot before = snapshot();
    QTimer poll;
    closeWhen(f, &poll, [&] { return readPid(pidFile) > 0; });

    f.click(QStringLiteral("Command3"));

    QVERIFY(!f.window->isVisible());
    QVERIFY(processGone(readPid(pidFile)));
    // SIGKILL is sent, not waited for: the grandchild may take a moment to die.
    QTRY_VERIFY_WITH_TIMEOUT(processGone(readPid(childPidFile)), 20000);
    QVERIFY(f.messages.shown().isEmpty());
    QVERIFY(f.dialogs.saveRequests.isEmpty());
    verifyNothingElseChanged(before, {f.window->settingsPath(), pidFile, childPidFile});
}

void TestFaults::windowClosed_duringRun_applicationExitsCleanly_data()
{
    QTest::addColumn<QString>("mode");
    QTest::newRow("while pages are made") << "pages";
    QTest::newRow("while pdftk joins") << "join";
    QTest::newRow("while the image reader loops") << "reader";
}

void TestFaults::windowClosed_duringRun_applicationExitsCleanly()
{
    QFETCH(QString, mode);
    TestFolder scratch;
    const QString pidFile = scratch.file(QStringLiteral("pid"));
    const FileSnapshot before = snapshot();

    const ChildRun child = runSelf({QString::fromLatin1(kCloseDuringRun), mode, pidFile}, false);

    QVERIFY2(child.exitCode == 0, qPrintable(child.output));
    if (mode != QLatin1String("pages")) {
        QVERIFY(processGone(readPid(pidFile)));
    }
    verifyNothingElseChanged(before, {pidFile});
}

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], kCloseDuringRun) == 0) {
        return closeDuringRun(argc, argv); // in the temporary folder that the parent watches
    }
    ScratchEnvironment scratch;
    QApplication app(argc, argv);
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
