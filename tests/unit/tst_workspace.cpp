#include "conversion/Workspace.h"
#include "support/TestFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <cstring>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropRoot = 99;

bool isRoot()
{
    return ::geteuid() == 0;
}

void setMode(const QString& path, mode_t mode)
{
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
}

// Root may remove anything, so DeleteFolderTree runs in a child process of this test program as an ordinary user
// (nobody, when we are root): then folders without write or search permission really are in the way.
// Returns the child's exit code (0: everything went, 1: not everything went), or -1 when it did not end.
int deleteAsOrdinaryUser(const QString& folder, const QString& ownedTree)
{
    if (isRoot()) {
        QProcess chown;
        chown.start(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534:65534"), ownedTree});
        if (!chown.waitForFinished(-1) || chown.exitCode() != 0) {
            return -1;
        }
    }
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--delete-tree"), folder});
    child.setChildProcessModifier([] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(kCannotDropRoot);
        }
    });
    child.start();
    // A guard against a removal that loops for ever, not a measurement.
    if (!child.waitForFinished(300000)) {
        child.kill();
        child.waitForFinished(-1);
        return -1;
    }
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

} // namespace

class TestWorkspace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void create_fresh_privateFolderWithExactNames();
    void create_parentNotWritable_saysSo_data();
    void create_parentNotWritable_saysSo();
    void remove_calledTwiceAndOnDestruction_folderGone();
    void DeleteFolderTree_awkwardEntries_allGoneOutsideUntouched_data();
    void DeleteFolderTree_awkwardEntries_allGoneOutsideUntouched();
    void DeleteFolderTree_unremovableFolder_returnsFalseOnceRestGone();
    void DeleteFolderTree_missingFolder_countsAsRemoved();
};

void TestWorkspace::create_fresh_privateFolderWithExactNames()
{
    Workspace first;
    Workspace second;
    QString error;
    QVERIFY2(first.create(&error), qPrintable(error));
    QVERIFY2(second.create(&error), qPrintable(error));
    QVERIFY(first.path() != second.path());

    const QString root = first.path();
    QCOMPARE(QFileInfo(root).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    struct stat info = {};
    QVERIFY(::stat(QFile::encodeName(root).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0700));
    QVERIFY(QFileInfo(root + "/tmp").isDir());
    QVERIFY(QFileInfo(root + "/jpgtmp").isDir());

    QCOMPARE(first.infoFile(), root + "/tmp/info.txt");
    QCOMPARE(first.pageFile(0), root + "/jpgtmp/0.pdf");
    QCOMPARE(first.pageFile(10), root + "/jpgtmp/10.pdf");
    QCOMPARE(first.chainFile(1), root + "/tmp/tmp1.pdf");
    QCOMPARE(first.chainFile(11), root + "/tmp/tmp11.pdf");
    QCOMPARE(first.finishedFile(), root + "/tmp/tmpx.pdf");
}

void TestWorkspace::create_parentNotWritable_saysSo_data()
{
    QTest::addColumn<QString>("parent");
    // A regular file stands in for the parent folder: even root cannot make a folder inside it.
    QTest::newRow("parent is a file") << QStringLiteral("plain-file");
    QTest::newRow("parent missing") << QStringLiteral("no/such/folder");
}

void TestWorkspace::create_parentNotWritable_saysSo()
{
    QFETCH(QString, parent);
    TestFolder scratch;
    scratch.write(QStringLiteral("plain-file"), "x");
    const QString parentPath = scratch.file(parent);

    Workspace workspace;
    QString error;
    QVERIFY(!workspace.create(&error, parentPath));
    QVERIFY(!workspace.isValid());
    QVERIFY2(error.contains(parentPath), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("cannot be written")), qPrintable(error));
}

void TestWorkspace::remove_calledTwiceAndOnDestruction_folderGone()
{
    QString kept;
    {
        Workspace workspace;
        QString error;
        QVERIFY2(workspace.create(&error), qPrintable(error));
        kept = workspace.path();
        QFile info(workspace.infoFile());
        QVERIFY(info.open(QIODevice::WriteOnly));
        info.close();
        setMode(workspace.infoFile(), 0444);

        Workspace other;
        QVERIFY2(other.create(&error), qPrintable(error));
        const QString otherPath = other.path();
        QVERIFY(other.remove());
        QVERIFY(!QFileInfo::exists(otherPath));
        QVERIFY(!other.isValid());
        QVERIFY(other.remove());
    }
    QVERIFY(!QFileInfo::exists(kept));
}

void TestWorkspace::DeleteFolderTree_awkwardEntries_allGoneOutsideUntouched_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("read-only files") << QStringLiteral("readonly-files");
    QTest::newRow("hidden files and folders") << QStringLiteral("hidden");
    QTest::newRow("read-only subfolder") << QStringLiteral("readonly-subfolder");
    QTest::newRow("subfolder without any permission") << QStringLiteral("no-permission-subfolder");
    QTest::newRow("top folder read-only") << QStringLiteral("readonly-top");
    QTest::newRow("links to outside folder and file") << QStringLiteral("links-out");
    QTest::newRow("folder given is a link") << QStringLiteral("given-link");
    QTest::newRow("deep tree") << QStringLiteral("deep");
}

void TestWorkspace::DeleteFolderTree_awkwardEntries_allGoneOutsideUntouched()
{
    QFETCH(QString, layout);
    TestFolder scratch;
    QVERIFY(scratch.isValid());
    const QString tree = scratch.mkdir(QStringLiteral("tree"));
    const QString outside = scratch.write(QStringLiteral("outside/keep.txt"), "keep");
    scratch.write(QStringLiteral("tree/plain.pdf"), "page");
    QString target = tree;

    if (layout == QLatin1String("readonly-files")) {
        setMode(scratch.write(QStringLiteral("tree/tmp/info.txt"), "info"), 0444);
        setMode(scratch.write(QStringLiteral("tree/tmp/unreadable.dat"), "data"), 0);
    } else if (layout == QLatin1String("hidden")) {
        scratch.write(QStringLiteral("tree/.hidden"), "h");
        scratch.write(QStringLiteral("tree/.hidden-folder/.inner"), "h");
    } else if (layout == QLatin1String("readonly-subfolder")) {
        scratch.write(QStringLiteral("tree/sub/a.pdf"), "a");
        scratch.write(QStringLiteral("tree/sub/deeper/b.pdf"), "b");
        setMode(tree + "/sub/deeper", 0555);
        setMode(tree + "/sub", 0555);
    } else if (layout == QLatin1String("no-permission-subfolder")) {
        scratch.write(QStringLiteral("tree/locked/a.pdf"), "a");
        setMode(tree + "/locked", 0);
    } else if (layout == QLatin1String("readonly-top")) {
        setMode(tree, 0555);
    } else if (layout == QLatin1String("links-out")) {
        QVERIFY(QFile::link(QFileInfo(outside).absolutePath(), tree + "/to-folder"));
        QVERIFY(QFile::link(outside, tree + "/to-file"));
        QVERIFY(QFile::link(tree + "/nowhere", tree + "/dangling"));
    } else if (layout == QLatin1String("given-link")) {
        target = scratch.file(QStringLiteral("link-to-outside"));
        QVERIFY(QFile::link(QFileInfo(outside).absolutePath(), target));
    } else if (layout == QLatin1String("deep")) {
        QString relative = QStringLiteral("tree");
        for (int level = 0; level < 60; ++level) {
            relative += QStringLiteral("/d") + QString::number(level);
            scratch.write(relative + QStringLiteral("/f.pdf"), "f");
        }
    }

    const int exitCode = deleteAsOrdinaryUser(target, scratch.path());
    if (exitCode == kCannotDropRoot) {
        QSKIP("This system does not let root become an ordinary user.");
    }
    QCOMPARE(exitCode, 0);
    QVERIFY(!QFileInfo(target).exists() && !QFileInfo(target).isSymLink());
    QCOMPARE(QFileInfo(outside).size(), qint64(4));
    if (layout == QLatin1String("given-link")) {
        QVERIFY(QFileInfo(tree + "/plain.pdf").isFile());
    }
}

void TestWorkspace::DeleteFolderTree_unremovableFolder_returnsFalseOnceRestGone()
{
    if (!isRoot()) {
        QSKIP("Needs root to make a folder that an ordinary user cannot remove.");
    }
    TestFolder scratch;
    const QString tree = scratch.mkdir(QStringLiteral("tree"));
    scratch.write(QStringLiteral("tree/a.pdf"), "a");
    scratch.write(QStringLiteral("tree/stuck/inside.pdf"), "x");
    scratch.write(QStringLiteral("tree/z/b.pdf"), "b");
    // Owned by nobody, except "stuck", which stays root's (mode 0755): nobody can neither empty nor unlock it.
    QProcess chown;
    chown.start(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534:65534"), scratch.path()});
    QVERIFY(chown.waitForFinished(-1) && chown.exitCode() == 0);
    QVERIFY(::chown(QFile::encodeName(tree + "/stuck").constData(), 0, 0) == 0);
    QVERIFY(::chown(QFile::encodeName(tree + "/stuck/inside.pdf").constData(), 0, 0) == 0);

    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QStringLiteral("--delete-tree"), tree});
    child.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(kCannotDropRoot);
        }
    });
    child.start();
    QVERIFY2(child.waitForFinished(300000), "DeleteFolderTree did not return");
    if (child.exitCode() == kCannotDropRoot) {
        QSKIP("This system does not let root become an ordinary user.");
    }
    QCOMPARE(child.exitCode(), 1);
    QVERIFY(QFileInfo(tree + "/stuck/inside.pdf").isFile());
    QVERIFY(!QFileInfo::exists(tree + "/a.pdf"));
    QVERIFY(!QFileInfo::exists(tree + "/z"));
}

void TestWorkspace::DeleteFolderTree_missingFolder_countsAsRemoved()
{
    TestFolder scratch;
    QVERIFY(DeleteFolderTree(scratch.file(QStringLiteral("never-made"))));
    QVERIFY(!DeleteFolderTree(QString()));
}

int main(int argc, char** argv)
{
    // The child that deleteAsOrdinaryUser starts.
    if (argc == 3 && std::strcmp(argv[1], "--delete-tree") == 0) {
        return DeleteFolderTree(QFile::decodeName(argv[2])) ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    TestWorkspace test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_workspace.moc"
