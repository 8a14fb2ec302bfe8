#include "conversion/Saving.h"
#include "platform/PosixFile.h"
#include "support/TestFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropRoot = 99;

QByteArray pdfBytes(int size, char fill)
{
    return "%PDF-1.4\n" + QByteArray(size, fill);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

struct ChildSave
{
    int exitCode = -1; // -1: did not end normally (e.g. killed by SIGXFSZ)
    QString text;
};

// saveDocument in a child process of this test program, so that a file-size limit or an ordinary user (instead of
// root, who may write anywhere) applies to it alone.
ChildSave saveInChild(const QString& source, const QString& destination, bool asOrdinaryUser, rlim_t fileSizeLimit)
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--save"), source, destination});
    child.setChildProcessModifier([asOrdinaryUser, fileSizeLimit] {
        if (fileSizeLimit != RLIM_INFINITY) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (asOrdinaryUser && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(kCannotDropRoot);
        }
    });
    child.start();
    child.waitForFinished(-1);
    ChildSave result;
    if (child.exitStatus() == QProcess::NormalExit) {
        result.exitCode = child.exitCode();
    }
    result.text = QString::fromUtf8(child.readAllStandardOutput());
    return result;
}

} // namespace

class TestSaving : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withPdfExtension_chosenName_data();
    void withPdfExtension_chosenName();
    void saveDocument_writable_copiedWholeNoLeftovers_data();
    void saveDocument_writable_copiedWholeNoLeftovers();
    void saveDocument_cannotSave_messageAndNothingChanged_data();
    void saveDocument_cannotSave_messageAndNothingChanged();
    void saveDocument_notWritableByUser_refusedFileIntact_data();
    void saveDocument_notWritableByUser_refusedFileIntact();
    void saveDocument_fileSizeLimit_existingFileIntact();
    void saveDocument_namesSwappedBeforeRename_publishesOnlyOurs_data();
    void saveDocument_namesSwappedBeforeRename_publishesOnlyOurs();
};

void TestSaving::withPdfExtension_chosenName_data()
{
    // clang-format off
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "/home/a/report" << "/home/a/report.pdf";
    QTest::newRow("dot in a folder name only") << "/home/a.b/report" << "/home/a.b/report.pdf";
    QTest::newRow("ends in a dot") << "/home/a/report." << "/home/a/report.pdf";
    QTest::newRow("hidden name") << "/home/a/.report" << "/home/a/.report.pdf";
    QTest::newRow(".pdf") << "/home/a/report.pdf" << "/home/a/report.pdf";
    QTest::newRow(".PDF in capitals") << "/home/a/Report.PDF" << "/home/a/Report.PDF";
    QTest::newRow("other extension typed") << "/home/a/notes.txt" << "/home/a/notes.txt";
    QTest::newRow("cancelled") << "" << "";
    // clang-format on
}

void TestSaving::withPdfExtension_chosenName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, saved);
    QCOMPARE(withPdfExtension(chosen), saved);
}

void TestSaving::saveDocument_writable_copiedWholeNoLeftovers_data()
{
    QTest::addColumn<QString>("existing");
    QTest::newRow("new file") << QString();
    QTest::newRow("over a longer existing file") << QStringLiteral("file");
    QTest::newRow("through a link to an existing file") << QStringLiteral("link");
    QTest::newRow("over a file with a second hard link") << QStringLiteral("hardlink");
    QTest::newRow("new file with a 255-byte name") << QStringLiteral("longname");
}

void TestSaving::saveDocument_writable_copiedWholeNoLeftovers()
{
    QFETCH(QString, existing);
    TestFolder scratch;
    const QByteArray document = pdfBytes(300000, 'n');
    const QString source = scratch.write(QStringLiteral("work/tmpx.pdf"), document);
    const QString folder = scratch.mkdir(QStringLiteral("out"));
    const QString name = existing == QLatin1String("longname") ? QString(251, QLatin1Char('a')) + QStringLiteral(".pdf")
                                                               : QStringLiteral("Album.pdf");
    QString destination = folder + QLatin1Char('/') + name;
    QString written = destination;
    QStringList expectedEntries{name};
    struct stat before = {};
    if (existing == QLatin1String("hardlink")) {
        // The other name must see the new document too: the file is written in place, not replaced.
        scratch.write(QStringLiteral("out/Album.pdf"), pdfBytes(900000, 'o'));
        QVERIFY(::link(QFile::encodeName(destination).constData(),
                       QFile::encodeName(folder + QStringLiteral("/also.pdf")).constData()) == 0);
        QVERIFY(::stat(QFile::encodeName(destination).constData(), &before) == 0);
        written = folder + QStringLiteral("/also.pdf");
        expectedEntries = QStringList{QStringLiteral("Album.pdf"), QStringLiteral("also.pdf")};
    } else if (existing == QLatin1String("file")) {
        scratch.write(QStringLiteral("out/Album.pdf"), pdfBytes(900000, 'o'));
        QVERIFY(::chmod(QFile::encodeName(destination).constData(), 0640) == 0);
    } else if (existing == QLatin1String("link")) {
        scratch.write(QStringLiteral("out/real.pdf"), pdfBytes(900000, 'o'));
        QVERIFY(QFile::link(folder + QStringLiteral("/real.pdf"), destination));
        written = folder + QStringLiteral("/real.pdf");
        expectedEntries.append(QStringLiteral("real.pdf"));
    }

    const StageResult result = saveDocument(source, destination);
    QVERIFY2(result.ok, qPrintable(result.text));
    QVERIFY(contents(written) == document);
    QCOMPARE(entries(folder), expectedEntries);
    if (existing == QLatin1String("file")) {
        QCOMPARE(QFileInfo(destination).permissions() & 0x0fff, QFile::Permissions(0x0640) & 0x0fff);
    } else if (existing == QLatin1String("link")) {
        QVERIFY(QFileInfo(destination).isSymLink());
    } else if (existing == QLatin1String("hardlink")) {
        struct stat after = {};
        QVERIFY(::stat(QFile::encodeName(destination).constData(), &after) == 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_nlink, nlink_t(2));
    }
}

void TestSaving::saveDocument_cannotSave_messageAndNothingChanged_data()
{
    // clang-format off
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<QString>("destinationName");
    QTest::addColumn<QString>("reason");
    // A regular file stands in for a folder: even root cannot write below it.
    QTest::newRow("parent is a file") << "tmpx.pdf" << "plain/Album.pdf" << "not a folder";
    QTest::newRow("folder missing") << "tmpx.pdf" << "gone/Album.pdf" << "does not exist";
    QTest::newRow("destination is a folder") << "tmpx.pdf" << "folder" << "folder of that name";
    QTest::newRow("destination is a FIFO") << "tmpx.pdf" << "pipe.pdf" << "other than an ordinary file";
    QTest::newRow("name too long") << "tmpx.pdf" << QString(253, QLatin1Char('n')) + ".pdf" << "longer than the file system allows";
    QTest::newRow("finished document missing") << "missing.pdf" << "out/Album.pdf" << "could not be read";
    // clang-format on
}

void TestSaving::saveDocument_cannotSave_messageAndNothingChanged()
{
    QFETCH(QString, sourceName);
    QFETCH(QString, destinationName);
    QFETCH(QString, reason);
    TestFolder scratch;
    scratch.write(QStringLiteral("tmpx.pdf"), pdfBytes(1000, 'n'));
    scratch.write(QStringLiteral("plain"), "plain");
    scratch.write(QStringLiteral("folder/inside.pdf"), "inside");
    scratch.write(QStringLiteral("out/Album.pdf"), "original");
    QCOMPARE(::mkfifo(QFile::encodeName(scratch.file(QStringLiteral("pipe.pdf"))).constData(), 0600), 0);
    const QStringList before = entries(scratch.path());
    const QString destination = scratch.file(destinationName);

    const StageResult result = saveDocument(scratch.file(sourceName), destination);
    QVERIFY(!result.ok);
    QCOMPARE(result.title, QStringLiteral("Save"));
    QVERIFY2(result.text.contains(destination), qPrintable(result.text));
    QVERIFY2(result.text.contains(reason), qPrintable(result.text));
    QCOMPARE(entries(scratch.path()), before);
    QCOMPARE(contents(scratch.file(QStringLiteral("plain"))), QByteArray("plain"));
    QCOMPARE(entries(scratch.file(QStringLiteral("folder"))), QStringList{QStringLiteral("inside.pdf")});
    QCOMPARE(contents(scratch.file(QStringLiteral("out/Album.pdf"))), QByteArray("original"));
}

void TestSaving::saveDocument_notWritableByUser_refusedFileIntact_data()
{
    QTest::addColumn<QString>("readOnly");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder read-only") << "out"
                                      << "cannot be written to";
    QTest::newRow("file read-only, folder writable") << "out/Album.pdf"
                                                     << "read-only";
}

void TestSaving::saveDocument_notWritableByUser_refusedFileIntact()
{
    QFETCH(QString, readOnly);
    QFETCH(QString, reason);
    TestFolder scratch;
    const QString source = scratch.write(QStringLiteral("work/tmpx.pdf"), pdfBytes(5000, 'n'));
    const QString destination = scratch.write(QStringLiteral("out/Album.pdf"), "original");
    const QString folder = scratch.file(QStringLiteral("out"));
    if (::geteuid() == 0) {
        // Root writes anywhere; the save runs as nobody, who owns the files but lacks the write permission.
        QProcess chown;
        chown.start(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534:65534"), scratch.path()});
        QVERIFY(chown.waitForFinished(-1) && chown.exitCode() == 0);
    }
    const QByteArray locked = QFile::encodeName(scratch.file(readOnly));
    QVERIFY(::chmod(locked.constData(), readOnly == QLatin1String("out") ? 0555 : 0444) == 0);

    const ChildSave result = saveInChild(source, destination, true, RLIM_INFINITY);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    if (result.exitCode == kCannotDropRoot) {
        QSKIP("This system does not let root become an ordinary user.");
    }
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.text.contains(destination), qPrintable(result.text));
    QVERIFY2(result.text.contains(reason), qPrintable(result.text));
    QCOMPARE(contents(destination), QByteArray("original"));
    QCOMPARE(entries(folder), QStringList{QStringLiteral("Album.pdf")});
}

void TestSaving::saveDocument_fileSizeLimit_existingFileIntact()
{
    TestFolder scratch;
    const QString source = scratch.write(QStringLiteral("work/tmpx.pdf"), pdfBytes(200000, 'n'));
    const QString destination = scratch.write(QStringLiteral("out/Album.pdf"), "original");

    const ChildSave result = saveInChild(source, destination, false, 8192);
    QCOMPARE(result.exitCode, 1); // not killed by SIGXFSZ, and not reported as saved
    QVERIFY2(result.text.contains(destination), qPrintable(result.text));
    QVERIFY2(result.text.contains(QStringLiteral("file size limit")), qPrintable(result.text));
    QCOMPARE(contents(destination), QByteArray("original"));
    QCOMPARE(entries(scratch.file(QStringLiteral("out"))), QStringList{QStringLiteral("Album.pdf")});
}

void TestSaving::saveDocument_namesSwappedBeforeRename_publishesOnlyOurs_data()
{
    QTest::addColumn<bool>("link");
    QTest::newRow("our folder's name swapped for one holding a link to another file") << true;
    QTest::newRow("our folder's name swapped for one holding another file") << false;
}

void TestSaving::saveDocument_namesSwappedBeforeRename_publishesOnlyOurs()
{
    QFETCH(bool, link);
    TestFolder scratch;
    const QString bait = scratch.write(QStringLiteral("bait.pdf"), "someone else's");
    const QString destination = scratch.write(QStringLiteral("out/Album.pdf"), "original");
    const QString folder = scratch.file(QStringLiteral("out"));
    // The document arrives through a FIFO: the save goes on writing its new file until the FIFO is closed, and
    // someone who may write in the destination's folder moves our folder away meanwhile and puts one of theirs, with
    // a file or link in it, under its name.
    const QString source = scratch.file(QStringLiteral("tmpx.pdf"));
    QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0600), 0);
    const QByteArray document = pdfBytes(100000, 'n');
    StageResult result;
    std::thread saver([&] { result = saveDocument(source, destination); });
    FileDescriptor writer(::open(QFile::encodeName(source).constData(), O_WRONLY | O_CLOEXEC));
    const bool sent =
        writer.isOpen() && writeAll(writer.get(), document.constData(), std::size_t(document.size())) == 0;
    const auto ours = [&] {
        const QStringList made = QDir(folder).entryList({QStringLiteral(".pagewell-*")}, QDir::Dirs | QDir::Hidden);
        return made.size() == 1 ? folder + QLatin1Char('/') + made.constFirst() : QString();
    };
    const bool appeared = QTest::qWaitFor([&] { return !ours().isEmpty(); }, 30000);
    bool swapped = false;
    if (appeared) {
        const QString theirs = ours();
        swapped = QDir().rename(theirs, scratch.file(QStringLiteral("moved away"))) && QDir().mkpath(theirs);
        const QByteArray planted = QFile::encodeName(theirs + QStringLiteral("/new"));
        swapped = swapped && (link ? ::symlink(QFile::encodeName(bait).constData(), planted.constData()) == 0
                                   : !scratch.write(QStringLiteral("planted"), "another file").isEmpty() &&
                                         ::rename(QFile::encodeName(scratch.file(QStringLiteral("planted"))),
                                                  planted.constData()) == 0);
    }
    writer.close();
    saver.join();

    QVERIFY(sent && appeared && swapped);
    QVERIFY2(result.ok, qPrintable(result.text));
    QCOMPARE(contents(destination), document);
    QVERIFY(!QFileInfo(destination).isSymLink());
    QCOMPARE(contents(bait), QByteArray("someone else's"));
}

int main(int argc, char** argv)
{
    // The child that saveInChild starts.
    if (argc == 4 && std::strcmp(argv[1], "--save") == 0) {
        const StageResult result = saveDocument(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]));
        std::fputs(result.text.toUtf8().constData(), stdout);
        return result.ok ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    TestSaving test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_saving.moc"
