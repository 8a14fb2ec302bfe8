#include "conversion/InfoFile.h"
#include "conversion/JoinPlan.h"
#include "conversion/Merging.h"
#include "conversion/PageJoin.h"
#include "conversion/PdftkCheck.h"
#include "conversion/Workspace.h"
#include "doubles/MeasuredPdftk.h"
#include "pdftk/PdftkHost.h"
#include "pdftk/ProcessPdftk.h"
#include "pdftk/WarmPdftk.h"
#include "support/FakePdftk.h"
#include "support/PdfProbe.h"
#include "support/TestFolder.h"

#include <QDateTime>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <functional>

#include <sys/mount.h>

namespace {

// A one-page PDF whose page width tells the pages apart; every third page holds a picture, the others a drawing.
bool makePagePdf(const QString& path, int widthPoints)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(widthPoints, 200), QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    painter.fillRect(QRect(0, 0, 50, 50), QColor::fromHsv((widthPoints * 7) % 360, 255, 200));
    if (widthPoints % 3 == 0) {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv((widthPoints * 13) % 360, 120, 240));
        painter.drawImage(QRect(60, 60, 40, 30), picture);
    }
    return painter.end();
}

QString runTool(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    if (exitCode) {
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The page widths of a PDF in page order, as poppler reads them.
QList<int> pageWidths(const QString& pdf)
{
    const QString text = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                             QStringLiteral("-l"), QStringLiteral("9999"), pdf});
    static const QRegularExpression pageLine(QStringLiteral("^Page +\\d+ size: +([0-9.]+) x"),
                                             QRegularExpression::MultilineOption);
    QList<int> widths;
    for (auto it = pageLine.globalMatch(text); it.hasNext();) {
        widths.append(qRound(it.next().captured(1).toDouble()));
    }
    return widths;
}

qint64 readPid(const QString& pidFile)
{
    QFile file(pidFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

// Calls act once the fake pdftk has written its process id. The poll runs while RunPdftkAndWait waits, so it
// also shows that the window's events go on being processed meanwhile.
void whenChildRuns(const QString& pidFile, QTimer* poll, const std::function<void()>& act)
{
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        if (readPid(pidFile) > 0) {
            poll->stop();
            act();
        }
    });
    poll->start(20);
}

// Pages 0 to count-1 of widths 100, 110, ... in a fresh workspace (under parent, or the temporary folder) with an
// info file; false on failure.
bool preparePages(Workspace& workspace, int count, const QString& parent = {})
{
    QString error;
    if (!workspace.create(&error, parent) || !writeInfoFile(workspace.infoFile(), DocumentInfo{}, &error)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (!makePagePdf(workspace.pageFile(i), 100 + 10 * i)) {
            return false;
        }
    }
    return true;
}

// The list entries the workspace's count pages stand for, as the join's messages name them.
QStringList entryNames(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i) {
        names.append(QStringLiteral("/photos/IMG_%1.jpg").arg(i + 1));
    }
    return names;
}

// The run's join of the workspace's count pages, in batches of at most bound.files, and the information step.
StageResult joinAndInform(Pdftk& pdftk, const Workspace& workspace, int count, JoinBound bound = {})
{
    PageJoin join(pdftk, workspace, entryNames(count), bound);
    StageResult result = StageResult::success();
    for (int i = 0; result.ok && i < join.steps().size(); ++i) {
        result = join.run(i);
    }
    return result.ok ? applyDocumentInfo(pdftk, workspace, count) : result;
}

// The same document as the chain of one join per page makes it: the first page copied, each page joined to the
// pages before it, then the information step.
StageResult chainAndInform(Pdftk& pdftk, const Workspace& workspace, int count)
{
    StageResult result = copyFirstPageFile(workspace, entryNames(1).first());
    for (int i = 1; result.ok && i < count; ++i) {
        const QStringList inputs{workspace.chainFile(i), workspace.pageFile(i)};
        result = runPdftkStep(pdftk, {joinArguments(inputs, workspace.chainFile(i + 1)), inputs,
                                      workspace.chainFile(i + 1), i + 1, QStringLiteral("join")});
    }
    return result.ok ? applyDocumentInfo(pdftk, workspace, count) : result;
}

// The run's join and information step over the workspace's count pages; the finished document's page widths, or
// empty on failure.
QList<int> runJoin(Pdftk& pdftk, const Workspace& workspace, int count, JoinBound bound = {})
{
    const StageResult result = joinAndInform(pdftk, workspace, count, bound);
    if (!result.ok) {
        qWarning("%s", qPrintable(result.text));
        return {};
    }
    return pageWidths(workspace.finishedFile());
}

// The installed pdftk-java launcher, copied with its own jar into folder, so that updating pdftk is touching the
// copied jar. Empty when the installed pdftk is no such launcher.
QString copyOfJavaPdftk(const TestFolder& folder)
{
    QFile launcher(QStandardPaths::findExecutable(QStringLiteral("pdftk")));
    if (!launcher.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray text = launcher.readAll();
    const QRegularExpressionMatch jar =
        QRegularExpression(QStringLiteral("[^\\s:=\"']*pdftk[^\\s:=\"'/]*\\.jar")).match(QString::fromUtf8(text));
    const QString copy = folder.file(QStringLiteral("pdftk.jar"));
    if (!jar.hasMatch() || !QFile::copy(jar.captured(), copy)) {
        return {};
    }
    text.replace(jar.captured().toUtf8(), copy.toUtf8());
    return writeFakePdftk(folder, text);
}

// The warm pdftk over the installed pdftk, with the host of this build.
std::unique_ptr<WarmPdftk> warmPdftk(const QString& program = locatePdftk())
{
    return std::make_unique<WarmPdftk>(std::make_unique<ProcessPdftk>(program), locatePdftkHost());
}

// A finished document as text that can be compared: qpdf's normal form with the file's /ID and every date blanked.
QByteArray comparableText(const QString& pdf)
{
    QByteArray text = PdfProbe::run(QStringLiteral("qpdf"),
                                    {QStringLiteral("--qdf"), QStringLiteral("--static-id"), pdf, QStringLiteral("-")})
                          .output;
    static const QRegularExpression date(QStringLiteral("\\(D:[0-9]{14}[^)]*\\)"));
    static const QRegularExpression id(QStringLiteral("/ID \\[<[0-9a-f]*><[0-9a-f]*>\\]"));
    return QString::fromLatin1(text)
        .replace(date, QStringLiteral("(D:)"))
        .replace(id, QStringLiteral("/ID"))
        .toLatin1();
}

int openDescriptors(qint64 pid)
{
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

bool processGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == -1 && errno == ESRCH;
}

} // namespace

class TestMerging : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void planJoin_count_everyPageOnceWithinBound_data();
    void planJoin_count_everyPageOnceWithinBound();
    void join_pages_inListOrderWithInformation_onlyTheDocumentLeft_data();
    void join_pages_inListOrderWithInformation_onlyTheDocumentLeft();
    void checkPdftk_notThereOrBroken_refusesWithInstallHint_data();
    void checkPdftk_notThereOrBroken_refusesWithInstallHint();
    void checkPdftk_realPdftk_passes();
    void step_pdftkFails_stopsWithMessage_data();
    void step_pdftkFails_stopsWithMessage();
    void join_pageRefusedInABatch_messageNamesThatPage_data();
    void join_pageRefusedInABatch_messageNamesThatPage();
    void step_failsWithUsersJavaOptions_noJvmNoticeInMessage();
    void join_workspaceDiskFull_saysSoNamingTheFolder_data();
    void join_workspaceDiskFull_saysSoNamingTheFolder();
    void join_classArchive_correctPdfWhateverItsState_data();
    void join_classArchive_correctPdfWhateverItsState();
    void join_batchedAndChained_sameDocument();
    void join_warmHostKilledBetweenBatches_processesFinish();
    void join_warmCannotRun_processesWithoutAWord_data();
    void join_warmCannotRun_processesWithoutAWord();
    void join_warm_hostDescriptorsLevelAndGoneAfterInformation();
    void join_warmStartedInAFolderWithADecoy_readsThePages();
    void copyFirstPage_pageMissing_saysWhich();
    void RunPdftkAndWait_abort_childKilledAndNoMoreRuns_data();
    void RunPdftkAndWait_abort_childKilledAndNoMoreRuns();
    // Leaves the application quitting, so it runs last.
    void RunPdftkAndWait_applicationQuits_childKilled();
};

void TestMerging::planJoin_count_everyPageOnceWithinBound_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("files");
    QTest::addColumn<QList<int>>("stepPages"); // the pages of each step's output, in the order they run
    QTest::newRow("one page: one step, a copy") << 1 << 250 << QList<int>{1};
    QTest::newRow("at the bound: one step") << 250 << 250 << QList<int>{250};
    QTest::newRow("one past it: two even batches, then their join") << 251 << 250 << QList<int>{125, 126, 251};
    QTest::newRow("a single left over goes on as it is") << 3 << 2 << QList<int>{2, 3};
    QTest::newRow("three levels") << 11 << 3 << QList<int>{2, 3, 3, 3, 5, 6, 11};
}

void TestMerging::planJoin_count_everyPageOnceWithinBound()
{
    QFETCH(int, count);
    QFETCH(int, files);
    QFETCH(QList<int>, stepPages);
    const QList<JoinStep> steps = planJoin(count, JoinBound{files});
    QList<int> pages;
    QSet<QPair<int, int>> written; // the pages of each output so far
    for (const JoinStep& step : steps) {
        pages.append(step.pages());
        QVERIFY(step.inputs.size() <= files);
        QCOMPARE(step.isLast, &step == &steps.last());
        int next = step.firstPage;
        for (const JoinStep::Input& input : step.inputs) {
            QCOMPARE(input.firstPage, next); // in page order, nothing left out
            // A page file, or the output of a step before.
            QVERIFY(input.isPageFile() || written.contains({input.firstPage, input.lastPage}));
            next = input.lastPage + 1;
        }
        QCOMPARE(next - 1, step.lastPage);
        written.insert({step.firstPage, step.lastPage});
    }
    QCOMPARE(pages, stepPages);
    QCOMPARE(steps.last().firstPage, 0);
    QCOMPARE(steps.last().lastPage, count - 1);
}

void TestMerging::join_pages_inListOrderWithInformation_onlyTheDocumentLeft_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("runs"); // pdftk runs, the information step's among them
    QTest::newRow("one page, copied") << 1 << 250 << 1;
    QTest::newRow("two pages") << 2 << 250 << 2;
    QTest::newRow("eleven pages, 10.pdf after 9.pdf") << 11 << 250 << 2;
    QTest::newRow("eleven pages in batches of three, three levels") << 11 << 3 << 8;
}

void TestMerging::join_pages_inListOrderWithInformation_onlyTheDocumentLeft()
{
    QFETCH(int, count);
    QFETCH(int, files);
    QFETCH(int, runs);
    Workspace workspace;
    QVERIFY(preparePages(workspace, count));
    QString error;
    const DocumentInfo info{QStringLiteral("Join of %1").arg(count), QStringLiteral("Tester"),
                            QStringLiteral("D:20240102030405+01'00"), QString(), QString()};
    QVERIFY2(writeInfoFile(workspace.infoFile(), info, &error), qPrintable(error));
    QList<int> expectedWidths;
    for (int i = 0; i < count; ++i) {
        expectedWidths.append(100 + 10 * i);
    }

    MeasuredPdftk pdftk(std::make_unique<ProcessPdftk>());
    const StageResult result = joinAndInform(pdftk, workspace, count, JoinBound{files});
    QVERIFY2(result.ok, qPrintable(result.text));
    QCOMPARE(pdftk.runCount(), runs);
    // The batches went once they were joined.
    QCOMPARE(
        QDir(workspace.tmpFolder()).entryList(QDir::Files),
        QStringList({QStringLiteral("info.txt"), QStringLiteral("tmp%1.pdf").arg(count), QStringLiteral("tmpx.pdf")}));

    const QString finished = workspace.finishedFile();
    int checkCode = -1;
    runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), finished}, &checkCode);
    QCOMPARE(checkCode, 0);
    QCOMPARE(pageWidths(finished), expectedWidths);
    const QString information = runTool(QStringLiteral("pdfinfo"), {finished});
    QVERIFY2(information.contains(QStringLiteral("Join of %1\n").arg(count)), qPrintable(information));
}

void TestMerging::checkPdftk_notThereOrBroken_refusesWithInstallHint_data()
{
    // clang-format off
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none found") << QStringLiteral("empty") << QStringLiteral("search path (PATH)");
    QTest::newRow("path missing") << QStringLiteral("missing") << QStringLiteral("was not found at");
    QTest::newRow("not executable") << QStringLiteral("not-executable") << QStringLiteral("cannot be run");
    QTest::newRow("runs but fails") << QStringLiteral("fails") << QStringLiteral("does not work");
    QTest::newRow("hangs") << QStringLiteral("hangs") << QStringLiteral("did not finish within 1 s");
    // clang-format on
}

void TestMerging::checkPdftk_notThereOrBroken_refusesWithInstallHint()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    TestFolder scratch;
    QString program;
    if (kind == QLatin1String("missing")) {
        program = scratch.file(QStringLiteral("bin/pdftk"));
    } else if (kind == QLatin1String("not-executable")) {
        program = writeFakePdftk(scratch, "exit 0", false);
    } else if (kind == QLatin1String("fails")) {
        program = writeFakePdftk(scratch, "echo 'java: not found' >&2; exit 127");
    } else if (kind == QLatin1String("hangs")) {
        program = writeFakePdftk(scratch, "sleep 600");
    }
    auto pdftk = std::make_unique<ProcessPdftk>(program);
    if (kind == QLatin1String("hangs")) {
        pdftk->setCallLimit(std::chrono::seconds(1));
    }
    PdftkCheck check(std::move(pdftk));
    const StageResult result = check.result();
    QVERIFY(!result.ok);
    QCOMPARE(result.title, QStringLiteral("Convert"));
    QVERIFY2(result.text.contains(expected), qPrintable(result.text));
    QVERIFY2(result.text.contains(QStringLiteral("pdftk-java")), qPrintable(result.text));
    if (!program.isEmpty()) {
        QVERIFY2(result.text.contains(program), qPrintable(result.text));
    }
}

void TestMerging::checkPdftk_realPdftk_passes()
{
    PdftkCheck check(std::make_unique<ProcessPdftk>());
    const StageResult result = check.result();
    QVERIFY2(result.ok, qPrintable(result.text));
}

void TestMerging::step_pdftkFails_stopsWithMessage_data()
{
    // clang-format off
    QTest::addColumn<QString>("step");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("toolText");
    QTest::addColumn<QString>("names"); // the join's failure, narrowed down to a page where each fails on its own
    QTest::newRow("join exits 1") << "join" << QByteArray("echo 'Error: Unable to find file.' >&2; exit 1") << true
                                  << "exit code 1" << "Error: Unable to find file." << "page 1 (";
    QTest::newRow("join exits 0, writes nothing") << "join" << QByteArray("exit 0") << true << "without writing" << ""
                                                  << "page 1 (";
    QTest::newRow("join writes an empty file") << "join" << QByteArray(": > \"$out\"") << true << "without writing"
                                               << "" << "page 1 (";
    QTest::newRow("join writes garbage, exits 0") << "join" << QByteArray("echo garbage > \"$out\"") << true
                                                  << "not a PDF that can be read" << "" << "page 1 (";
    QTest::newRow("join writes too few pages") << "join" << QByteArray("cp \"$1\" \"$out\"") << true
                                               << "has 1 instead of 2 pages" << "" << "pages 1 to 2 (";
    QTest::newRow("join killed") << "join" << QByteArray("kill -9 $$") << true << "stopped unexpectedly" << ""
                                 << "page 1 (";
    QTest::newRow("join cannot start") << "join" << QByteArray("exit 0") << false << "could not be started" << ""
                                       << "pages 1 to 2 (";
    QTest::newRow("join hangs") << "join" << QByteArray("sleep 600") << true << "did not finish within 1 s" << ""
                                << "pages 1 to 2 (";
    QTest::newRow("info exits 1") << "info" << QByteArray("echo 'Error: bad info' >&2; exit 1") << true
                                  << "exit code 1" << "Error: bad info" << "";
    QTest::newRow("info exits 0, writes nothing") << "info" << QByteArray("exit 0") << true << "without writing" << ""
                                                  << "";
    QTest::newRow("info writes garbage, exits 0") << "info" << QByteArray("head -c 300 /dev/urandom > \"$out\"")
                                                  << true << "not a PDF that can be read" << "" << "";
    QTest::newRow("info hangs") << "info" << QByteArray("sleep 600") << true << "did not finish within 1 s" << ""
                                << "";
    // clang-format on
}

void TestMerging::step_pdftkFails_stopsWithMessage()
{
    QFETCH(QString, step);
    QFETCH(QByteArray, script);
    QFETCH(bool, executable);
    QFETCH(QString, expected);
    QFETCH(QString, toolText);
    QFETCH(QString, names);
    TestFolder scratch;
    Workspace workspace;
    QVERIFY(preparePages(workspace, 2));
    QVERIFY(makePagePdf(workspace.chainFile(1), 100));
    // A leftover output from before must not pass for this step's result.
    QFile::copy(workspace.chainFile(1), workspace.chainFile(2));
    QFile::copy(workspace.chainFile(1), workspace.finishedFile());

    ProcessPdftk pdftk(writeFakePdftk(scratch, script, executable));
    if (script.startsWith("sleep")) {
        pdftk.setCallLimit(std::chrono::seconds(1));
    }
    const StageResult result = step == QLatin1String("join") ? PageJoin(pdftk, workspace, entryNames(2)).run(0)
                                                             : applyDocumentInfo(pdftk, workspace, 1);
    QVERIFY(!result.ok);
    QCOMPARE(result.title, QStringLiteral("Convert"));
    QVERIFY2(result.text.contains(expected), qPrintable(result.text));
    if (step == QLatin1String("join")) {
        QVERIFY2(result.text.contains(names + QStringLiteral("/photos/IMG_1.jpg")), qPrintable(result.text));
        QVERIFY2(!result.text.contains(workspace.path()), qPrintable(result.text));
    } else {
        QVERIFY2(result.text.contains(QStringLiteral("document information")), qPrintable(result.text));
    }
    QVERIFY2(result.text.contains(toolText), qPrintable(result.text));
    // Nothing the step wrote is left to be taken for its result, nor any trial join.
    QVERIFY(!QFileInfo::exists(step == QLatin1String("join") ? workspace.chainFile(2) : workspace.finishedFile()));
    QVERIFY(!QFileInfo::exists(workspace.probeFile()));
}

void TestMerging::join_pageRefusedInABatch_messageNamesThatPage_data()
{
    QTest::addColumn<bool>("warm");
    QTest::addColumn<int>("files");
    QTest::newRow("warm, then as processes; one batch") << true << 250;
    QTest::newRow("processes; in the first of two batches") << false << 2;
}

void TestMerging::join_pageRefusedInABatch_messageNamesThatPage()
{
    QFETCH(bool, warm);
    QFETCH(int, files);
    Workspace workspace;
    QVERIFY(preparePages(workspace, 5));
    // Cut short: the real pdftk refuses it, whatever joins it.
    QFile page(workspace.pageFile(2));
    QVERIFY(page.open(QIODevice::ReadWrite));
    QVERIFY(page.resize(page.size() / 2));
    page.close();

    MeasuredPdftk pdftk(warm ? std::unique_ptr<Pdftk>(warmPdftk()) : std::make_unique<ProcessPdftk>());
    const StageResult result = joinAndInform(pdftk, workspace, 5, JoinBound{files});
    QVERIFY(!result.ok);
    QVERIFY2(result.text.startsWith(QStringLiteral("Joining page 3 (%1) to the pages before it failed: pdftk ended "
                                                   "with exit code")
                                        .arg(QStringLiteral("/photos/IMG_3.jpg"))),
             qPrintable(result.text));
    QVERIFY2(result.text.contains(QStringLiteral("pdftk reported:")), qPrintable(result.text));
    // The warm call had one try; the process chain repeated it and found the page.
    QCOMPARE(pdftk.warmRunCount(), warm ? 1 : 0);
    QVERIFY(!QFileInfo::exists(workspace.probeFile()));
}

void TestMerging::step_failsWithUsersJavaOptions_noJvmNoticeInMessage()
{
    // The JVM announces JAVA_TOOL_OPTIONS on its error output, ours and the user's alike.
    qputenv("JAVA_TOOL_OPTIONS", "-Dpagewell.test=1");
    Workspace workspace;
    QVERIFY(preparePages(workspace, 2));
    QFile page(workspace.pageFile(1));
    QVERIFY(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
    page.write("%PDF-1.4 not really\n");
    page.close();

    ProcessPdftk pdftk;
    const StageResult result = PageJoin(pdftk, workspace, entryNames(2)).run(0);
    qunsetenv("JAVA_TOOL_OPTIONS");
    QVERIFY(!result.ok);
    QVERIFY2(result.text.contains(QStringLiteral("pdftk reported:")), qPrintable(result.text));
    QVERIFY2(!result.text.contains(QStringLiteral("Picked up")), qPrintable(result.text));
}

void TestMerging::join_workspaceDiskFull_saysSoNamingTheFolder_data()
{
    QTest::addColumn<bool>("warm");
    QTest::newRow("pdftk process") << false;
    QTest::newRow("warm, then as a process") << true;
}

void TestMerging::join_workspaceDiskFull_saysSoNamingTheFolder()
{
    QFETCH(bool, warm);
    TestFolder scratch;
    const QString disk = scratch.mkdir(QStringLiteral("disk"));
    if (::mount("pagewell-test", QFile::encodeName(disk).constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=512k") !=
        0) {
        QSKIP("A small disk cannot be mounted here (that takes root).");
    }
    const auto unmount = qScopeGuard([&disk] { ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH); });
    Workspace workspace;
    QString error;
    QVERIFY2(workspace.create(&error, disk), qPrintable(error));
    QVERIFY(makePagePdf(workspace.pageFile(0), 100));
    QVERIFY(makePagePdf(workspace.pageFile(1), 110));
    QFile filler(workspace.path() + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();

    const std::unique_ptr<Pdftk> pdftk = warm ? std::unique_ptr<Pdftk>(warmPdftk()) : std::make_unique<ProcessPdftk>();
    const StageResult result = PageJoin(*pdftk, workspace, entryNames(2)).run(0);
    QVERIFY(!result.ok);
    QVERIFY2(result.text.contains(QStringLiteral("the disk is full")), qPrintable(result.text));
    QVERIFY2(result.text.contains(workspace.tmpFolder()), qPrintable(result.text));
    QVERIFY2(!result.text.contains(QStringLiteral("Internal Error")), qPrintable(result.text));
    // pdftk leaves the output it failed to write open: nothing may hold the disk once the step is over.
    QCOMPARE(::umount(QFile::encodeName(disk).constData()), 0);
}

void TestMerging::join_classArchive_correctPdfWhateverItsState_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("missing: the first join makes it") << QStringLiteral("missing");
    QTest::newRow("truncated: the JVM refuses it, thrown away") << QStringLiteral("truncated");
    QTest::newRow("cache folder cannot be made") << QStringLiteral("unwritable");
    QTest::newRow("pdftk updated: a new one replaces the stale one") << QStringLiteral("updated");
}

void TestMerging::join_classArchive_correctPdfWhateverItsState()
{
    QFETCH(QString, state);
    TestFolder scratch;
    const QString program = copyOfJavaPdftk(scratch);
    if (program.isEmpty()) {
        QSKIP("The installed pdftk is not the pdftk-java launcher.");
    }
    QString cache = scratch.file(QStringLiteral("cache"));
    if (state == QLatin1String("unwritable")) {
        cache = scratch.write(QStringLiteral("cache-is-a-file"));
    }
    const QList<int> expected{100, 110, 120};
    Workspace workspace;
    QVERIFY(preparePages(workspace, 3));
    const QString before = PdftkJvm(program, cache).archivePath();
    // The archive is written in the background after the first join; what the test waits for is the file itself.
    constexpr int kDumpWaitMs = 120000;
    if (state == QLatin1String("truncated") || state == QLatin1String("updated")) {
        ProcessPdftk first(program, PdftkJvm(program, cache));
        QCOMPARE(runJoin(first, workspace, 3), expected);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(before).size() > 0, kDumpWaitMs);
    }
    if (state == QLatin1String("truncated")) {
        QFile archive(before);
        QVERIFY(archive.setPermissions(archive.permissions() | QFile::WriteOwner));
        QVERIFY(archive.resize(archive.size() * 2 / 5));
    } else if (state == QLatin1String("updated")) {
        QFile jar(scratch.file(QStringLiteral("pdftk.jar")));
        QVERIFY(jar.open(QIODevice::ReadWrite));
        QVERIFY(jar.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
    }

    const PdftkJvm jvm(program, cache);
    const QString archive = jvm.archivePath();
    MeasuredPdftk pdftk(std::make_unique<ProcessPdftk>(program, jvm));
    QCOMPARE(runJoin(pdftk, workspace, 3), expected);

    if (state == QLatin1String("missing")) {
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(archive).size() > 0, kDumpWaitMs);
        QCOMPARE(pdftk.runCount(), 2);
    } else if (state == QLatin1String("truncated")) {
        QVERIFY(!QFileInfo::exists(archive));
        QCOMPARE(pdftk.runCount(), 2);
    } else if (state == QLatin1String("updated")) {
        QVERIFY(archive != before);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(archive).size() > 0, kDumpWaitMs);
        QCOMPARE(QDir(cache).entryList(QDir::Files).filter(QFileInfo(before).completeBaseName()), QStringList());
    }
    const QStringList leftovers = QDir(cache).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(QLatin1Char(' '))));
}

void TestMerging::join_batchedAndChained_sameDocument()
{
    const DocumentInfo info{QStringLiteral("Vierzig Seiten – ✓ 𝄞"), QStringLiteral("Ærøskøbing"),
                            QStringLiteral("D:20240102030405+01'00"), QStringLiteral("Subject"),
                            QStringLiteral("a, b")};
    // File names outside the Basic Multilingual Plane reach the JVM as they are, and so do those that a URL would
    // read otherwise (the warm host hands pdftk its inputs as file: URLs).
    TestFolder scratch;
    const QString parent = scratch.mkdir(QStringLiteral("Fotos – 𝄞 ü 100% #1?+"));
    constexpr int kPages = 40;
    enum Way
    {
        Chained,
        InBatchesOfSeven,
        InOneCall,
        Ways
    };
    QString finished[Ways];
    for (int way = Chained; way < Ways; ++way) {
        Workspace workspace;
        QVERIFY(preparePages(workspace, kPages, parent));
        QString error;
        QVERIFY2(writeInfoFile(workspace.infoFile(), info, &error), qPrintable(error));
        // The chain and the batches warm, the single call as a pdftk process.
        MeasuredPdftk pdftk(way == InOneCall ? std::unique_ptr<Pdftk>(std::make_unique<ProcessPdftk>())
                                             : std::unique_ptr<Pdftk>(warmPdftk()));
        const StageResult result = way == Chained
                                       ? chainAndInform(pdftk, workspace, kPages)
                                       : joinAndInform(pdftk, workspace, kPages, JoinBound{way == InOneCall ? 250 : 7});
        QVERIFY2(result.ok, qPrintable(result.text));
        // Six batches of six or seven pages, then the step that joins them; and the information step.
        const int runs[Ways] = {kPages, 6 + 1 + 1, 1 + 1};
        QCOMPARE(pdftk.runCount(), runs[way]);
        QCOMPARE(pdftk.warmRunCount(), way == InOneCall ? 0 : runs[way]);
        finished[way] = scratch.file(QStringLiteral("finished-%1.pdf").arg(way));
        QVERIFY(QFile::copy(workspace.finishedFile(), finished[way]));
    }
    QString report;
    QVERIFY2(PdfProbe::passesQpdfCheck(finished[InBatchesOfSeven], &report), qPrintable(report));
    QCOMPARE(pageWidths(finished[InBatchesOfSeven]).size(), kPages);
    QCOMPARE(PdfProbe::rawInfo(finished[InBatchesOfSeven]).value(QStringLiteral("Title")), info.title);
    // The same objects in the same order, the same information: only the file's /ID and the dates may differ.
    const QByteArray chained = comparableText(finished[Chained]);
    QCOMPARE(chained.count("/Type /Page\n"), kPages);
    QCOMPARE(comparableText(finished[InBatchesOfSeven]), chained);
    QCOMPARE(comparableText(finished[InOneCall]), chained);
}

void TestMerging::join_warmHostKilledBetweenBatches_processesFinish()
{
    Workspace workspace;
    QVERIFY(preparePages(workspace, 4));
    std::unique_ptr<WarmPdftk> warm = warmPdftk();
    WarmPdftk& pdftk = *warm;
    MeasuredPdftk measured(std::move(warm));
    PageJoin join(measured, workspace, entryNames(4), JoinBound{2});
    QCOMPARE(join.steps().size(), 3);
    QVERIFY(join.run(0).ok);
    const qint64 host = pdftk.hostProcessId();
    QVERIFY(host > 0);
    QCOMPARE(::kill(pid_t(host), SIGKILL), 0);
    for (int i = 1; i < 3; ++i) {
        const StageResult result = join.run(i);
        QVERIFY2(result.ok, qPrintable(result.text));
    }
    QVERIFY(applyDocumentInfo(measured, workspace, 4).ok);
    QCOMPARE(pageWidths(workspace.finishedFile()), (QList<int>{100, 110, 120, 130}));
    QVERIFY(processGone(host));
    // The first batch warm, the second's warm try; its repeat, the last step and the information as processes.
    QCOMPARE(measured.warmRunCount(), 2);
    QCOMPARE(measured.runCount(), 5);
}

void TestMerging::join_warmCannotRun_processesWithoutAWord_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("no JVM library beside java") << QStringLiteral("no-jvm-library");
    QTest::newRow("the host finds no pdftk class") << QStringLiteral("no-class");
    QTest::newRow("a wrapper script, no launcher") << QStringLiteral("wrapper");
    QTest::newRow("no host program") << QStringLiteral("no-host");
}

void TestMerging::join_warmCannotRun_processesWithoutAWord()
{
    QFETCH(QString, kind);
    TestFolder scratch;
    QString program = copyOfJavaPdftk(scratch);
    if (program.isEmpty()) {
        QSKIP("The installed pdftk is not the pdftk-java launcher.");
    }
    QFile launcher(program);
    QVERIFY(launcher.open(QIODevice::ReadOnly));
    QByteArray text = launcher.readAll();
    launcher.close();
    if (kind == QLatin1String("no-jvm-library")) {
        // A java that runs the real one, in a folder with no JVM library.
        const QString java =
            scratch.write(QStringLiteral("jre/bin/java"),
                          "#!/bin/sh\nexec '" +
                              QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("java"))) + "' \"$@\"\n");
        QFile::setPermissions(java, QFile::Permissions(0x7755));
        text.replace("java -cp", QFile::encodeName(java) + " -cp");
    } else if (kind == QLatin1String("no-class")) {
        // The shell puts pdftk's jars on the class path with a line the host does not read.
        static const QRegularExpression javaLine(QStringLiteral("java -cp (\\S+) "));
        const QString decoy = scratch.write(QStringLiteral("decoy.jar"));
        text = QString::fromUtf8(text)
                   .replace(javaLine, QStringLiteral("CP=%1\ntrue && CP=\\1\njava -cp $CP ").arg(decoy))
                   .toUtf8();
    } else if (kind == QLatin1String("wrapper")) {
        text = "#!/bin/sh\nexec '" + QFile::encodeName(locatePdftk()) + "' \"$@\"\n";
    }
    program = writeFakePdftk(scratch, text.mid(text.indexOf('\n') + 1));
    Workspace workspace;
    QVERIFY(preparePages(workspace, 3));
    MeasuredPdftk pdftk(std::make_unique<WarmPdftk>(std::make_unique<ProcessPdftk>(program),
                                                    kind == QLatin1String("no-host") ? QString() : locatePdftkHost()));
    QCOMPARE(runJoin(pdftk, workspace, 3), (QList<int>{100, 110, 120}));
    QCOMPARE(pdftk.runCount(), 2);
    QCOMPARE(pdftk.warmRunCount(), 0);
}

void TestMerging::join_warm_hostDescriptorsLevelAndGoneAfterInformation()
{
    Workspace workspace;
    QVERIFY(preparePages(workspace, 8));
    WarmPdftk pdftk(std::make_unique<ProcessPdftk>(), locatePdftkHost());
    // The run starts the host as it begins; its first call finds that one.
    pdftk.prepare(true);
    const qint64 early = pdftk.hostProcessId();
    QVERIFY(early > 0);
    PageJoin join(pdftk, workspace, entryNames(8), JoinBound{2});
    QList<int> descriptors;
    for (int i = 0; i < join.steps().size(); ++i) {
        QVERIFY(join.run(i).ok);
        descriptors << openDescriptors(pdftk.hostProcessId());
    }
    QCOMPARE(pdftk.hostProcessId(), early);
    // The first call opens the JVM's jars for good; the calls after it leave nothing behind.
    QCOMPARE(descriptors.size(), 7);
    QCOMPARE(descriptors.last(), descriptors.at(1));
    QVERIFY(descriptors.at(1) > 0);
    const qint64 host = pdftk.hostProcessId();
    QVERIFY(applyDocumentInfo(pdftk, workspace, 8).ok);
    QCOMPARE(pdftk.hostProcessId(), 0);
    QVERIFY(processGone(host));

    // Why the host goes with the information step: pdftk leaves the information file open, and the host sees it.
    PdftkHost direct(locatePdftkHost(), readPdftkLauncher(locatePdftk()));
    const HostCall info = direct.call(infoArguments(workspace, 8), std::chrono::minutes(2));
    QVERIFY2(info.result.ok(), qPrintable(info.result.errorText));
    QCOMPARE(info.descriptorsLeftOpen, 1);
}

void TestMerging::join_warmStartedInAFolderWithADecoy_readsThePages()
{
    Workspace workspace;
    QVERIFY(preparePages(workspace, 2));
    // Where the program was started, someone else has put a page of theirs where a file: URL of a page file names a
    // file relative to that folder.
    TestFolder started;
    QVERIFY(makePagePdf(started.write(QStringLiteral("file:") + workspace.pageFile(0)), 666));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(started.path()));
    const auto back = qScopeGuard([&before] { QDir::setCurrent(before); });
    MeasuredPdftk pdftk(warmPdftk());
    QCOMPARE(runJoin(pdftk, workspace, 2), (QList<int>{100, 110}));
    QCOMPARE(pdftk.warmRunCount(), 2);
}

void TestMerging::copyFirstPage_pageMissing_saysWhich()
{
    Workspace workspace;
    QString error;
    QVERIFY2(workspace.create(&error), qPrintable(error));
    const StageResult result = copyFirstPageFile(workspace, entryNames(1).first());
    QVERIFY(!result.ok);
    QVERIFY2(result.text.contains(QStringLiteral("/photos/IMG_1.jpg")), qPrintable(result.text));
}

void TestMerging::RunPdftkAndWait_abort_childKilledAndNoMoreRuns_data()
{
    QTest::addColumn<bool>("warm");
    QTest::newRow("pdftk process") << false;
    QTest::newRow("warm host, its JVM starting") << true;
}

void TestMerging::RunPdftkAndWait_abort_childKilledAndNoMoreRuns()
{
    QFETCH(bool, warm);
    TestFolder scratch;
    const QString pidFile = scratch.file(QStringLiteral("pid"));
    std::unique_ptr<WarmPdftk> host = warmPdftk();
    WarmPdftk* const hosting = host.get();
    MeasuredPdftk pdftk(warm ? std::unique_ptr<Pdftk>(std::move(host))
                             : std::make_unique<ProcessPdftk>(
                                   writeFakePdftk(scratch, "echo $$ > '" + pidFile.toUtf8() + "'; exec sleep 600")));
    qint64 pid = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        pid = warm ? hosting->hostProcessId() : readPid(pidFile);
        if (pid > 0) {
            poll.stop();
            pdftk.abort();
        }
    });
    poll.start(1);

    const PdftkResult result = pdftk.RunPdftkAndWait({QStringLiteral("--version")});
    QVERIFY(result.started);
    QVERIFY(result.aborted);
    QVERIFY(!result.ok());
    QVERIFY(processGone(pid));
    // Nothing of its process group either.
    QVERIFY(::kill(-pid_t(pid), 0) == -1 && errno == ESRCH);

    Workspace workspace;
    QString error;
    QVERIFY2(workspace.create(&error), qPrintable(error));
    const StageResult later = PageJoin(pdftk, workspace, entryNames(2)).run(0);
    QVERIFY(!later.ok);
    QCOMPARE(pdftk.runCount(), 1);
}

void TestMerging::RunPdftkAndWait_applicationQuits_childKilled()
{
    TestFolder scratch;
    const QString pidFile = scratch.file(QStringLiteral("pid"));
    ProcessPdftk pdftk(writeFakePdftk(scratch, "echo $$ > '" + pidFile.toUtf8() + "'; exec sleep 600"));
    QTimer poll;
    whenChildRuns(pidFile, &poll, [] { QCoreApplication::quit(); });

    // As in the program: the wait runs inside an event handler of the application's main loop, and quitting
    // ends every loop.
    PdftkResult result;
    QTimer::singleShot(0, &poll, [&] { result = pdftk.RunPdftkAndWait({QStringLiteral("--version")}); });
    QCoreApplication::exec();

    QVERIFY(result.started);
    QVERIFY(result.aborted);
    const qint64 pid = readPid(pidFile);
    QVERIFY(pid > 0);
    QVERIFY(::kill(pid_t(pid), 0) == -1 && errno == ESRCH);
}

QTEST_MAIN(TestMerging)
#include "tst_merging.moc"
