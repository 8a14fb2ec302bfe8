#include "conversion/InfoFile.h"
#include "conversion/Merging.h"
#include "conversion/Workspace.h"
#include "doubles/MeasuredPdftk.h"
#include "platform/Pdftk.h"
#include "support/FakePdftk.h"
#include "support/TestFolder.h"

#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <functional>

namespace {

// A one-page PDF whose page width tells the pages apart.
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

} // namespace

class TestMerging : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chain_pages_joinedInListOrderWithInformation_data();
    void chain_pages_joinedInListOrderWithInformation();
    void checkPdftk_notThereOrBroken_refusesWithInstallHint_data();
    void checkPdftk_notThereOrBroken_refusesWithInstallHint();
    void checkPdftk_realPdftk_passes();
    void step_pdftkFails_stopsWithMessage_data();
    void step_pdftkFails_stopsWithMessage();
    void copyFirstPage_pageMissing_saysWhich();
    void RunPdftkAndWait_abort_childKilledAndNoMoreRuns();
    // Leaves the application quitting, so it runs last.
    void RunPdftkAndWait_applicationQuits_childKilled();
};

void TestMerging::chain_pages_joinedInListOrderWithInformation_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one page, no join") << 1;
    QTest::newRow("two pages") << 2;
    QTest::newRow("eleven pages, 10.pdf after 9.pdf") << 11;
}

void TestMerging::chain_pages_joinedInListOrderWithInformation()
{
    QFETCH(int, count);
    Workspace workspace;
    QString error;
    QVERIFY2(workspace.create(&error), qPrintable(error));
    const DocumentInfo info{QStringLiteral("Chain of %1").arg(count), QStringLiteral("Tester"),
                            QStringLiteral("D:20240102030405+01'00"), QString(), QString()};
    QVERIFY2(writeInfoFile(workspace.infoFile(), info, &error), qPrintable(error));
    QList<int> expectedWidths;
    for (int i = 0; i < count; ++i) {
        expectedWidths.append(100 + 10 * i);
        QVERIFY(makePagePdf(workspace.pageFile(i), expectedWidths.last()));
    }

    MeasuredPdftk pdftk(std::make_unique<ProcessPdftk>());
    StageResult result = copyFirstPageFile(workspace);
    QVERIFY2(result.ok, qPrintable(result.text));
    for (int i = 1; i < count; ++i) {
        result = joinPage(pdftk, workspace, i);
        QVERIFY2(result.ok, qPrintable(result.text));
        QVERIFY(!QFileInfo::exists(workspace.chainFile(i)));
        QVERIFY(QFileInfo::exists(workspace.chainFile(i + 1)));
    }
    result = applyDocumentInfo(pdftk, workspace, count);
    QVERIFY2(result.ok, qPrintable(result.text));
    QCOMPARE(pdftk.runCount(), count);
    QVERIFY(QFileInfo::exists(workspace.chainFile(count)));

    const QString finished = workspace.finishedFile();
    int checkCode = -1;
    runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), finished}, &checkCode);
    QCOMPARE(checkCode, 0);
    QCOMPARE(pageWidths(finished), expectedWidths);
    const QString information = runTool(QStringLiteral("pdfinfo"), {finished});
    QVERIFY2(information.contains(QStringLiteral("Chain of %1\n").arg(count)), qPrintable(information));
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
    }
    ProcessPdftk pdftk(program);
    const StageResult result = checkPdftk(pdftk);
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
    ProcessPdftk pdftk;
    const StageResult result = checkPdftk(pdftk);
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
    // In both steps the output file is the fifth argument.
    QTest::newRow("join exits 1") << "join" << QByteArray("echo 'Error: Unable to find file.' >&2; exit 1") << true
                                  << "exit code 1" << "Error: Unable to find file.";
    QTest::newRow("join exits 0, writes nothing") << "join" << QByteArray("exit 0") << true << "without writing" << "";
    QTest::newRow("join writes an empty file") << "join" << QByteArray(": > \"$5\"") << true << "without writing" << "";
    QTest::newRow("join killed") << "join" << QByteArray("kill -9 $$") << true << "stopped unexpectedly" << "";
    QTest::newRow("join cannot start") << "join" << QByteArray("exit 0") << false << "could not be started" << "";
    QTest::newRow("info exits 1") << "info" << QByteArray("echo 'Error: bad info' >&2; exit 1") << true
                                  << "exit code 1" << "Error: bad info";
    QTest::newRow("info exits 0, writes nothing") << "info" << QByteArray("exit 0") << true << "without writing" << "";
    // clang-format on
}

void TestMerging::step_pdftkFails_stopsWithMessage()
{
    QFETCH(QString, step);
    QFETCH(QByteArray, script);
    QFETCH(bool, executable);
    QFETCH(QString, expected);
    QFETCH(QString, toolText);
    TestFolder scratch;
    Workspace workspace;
    QString error;
    QVERIFY2(workspace.create(&error), qPrintable(error));
    QVERIFY(makePagePdf(workspace.chainFile(1), 100));
    QVERIFY(makePagePdf(workspace.pageFile(1), 110));
    QVERIFY2(writeInfoFile(workspace.infoFile(), DocumentInfo{}, &error), qPrintable(error));
    // A leftover output from before must not pass for this step's result.
    QFile::copy(workspace.chainFile(1), workspace.chainFile(2));
    QFile::copy(workspace.chainFile(1), workspace.finishedFile());

    ProcessPdftk pdftk(writeFakePdftk(scratch, script, executable));
    const StageResult result =
        step == QLatin1String("join") ? joinPage(pdftk, workspace, 1) : applyDocumentInfo(pdftk, workspace, 1);
    QVERIFY(!result.ok);
    QCOMPARE(result.title, QStringLiteral("Convert"));
    QVERIFY2(result.text.contains(expected), qPrintable(result.text));
    if (step == QLatin1String("join")) {
        QVERIFY2(result.text.contains(QStringLiteral("page 2")), qPrintable(result.text));
    } else {
        QVERIFY2(result.text.contains(QStringLiteral("document information")), qPrintable(result.text));
    }
    QVERIFY2(result.text.contains(toolText), qPrintable(result.text));
}

void TestMerging::copyFirstPage_pageMissing_saysWhich()
{
    Workspace workspace;
    QString error;
    QVERIFY2(workspace.create(&error), qPrintable(error));
    const StageResult result = copyFirstPageFile(workspace);
    QVERIFY(!result.ok);
    QVERIFY2(result.text.contains(workspace.pageFile(0)), qPrintable(result.text));
}

void TestMerging::RunPdftkAndWait_abort_childKilledAndNoMoreRuns()
{
    TestFolder scratch;
    const QString pidFile = scratch.file(QStringLiteral("pid"));
    MeasuredPdftk pdftk(
        std::make_unique<ProcessPdftk>(writeFakePdftk(scratch, "echo $$ > '" + pidFile.toUtf8() + "'; exec sleep 600")));
    QTimer poll;
    whenChildRuns(pidFile, &poll, [&pdftk] { pdftk.abort(); });

    const PdftkResult result = pdftk.RunPdftkAndWait({QStringLiteral("--version")});
    QVERIFY(result.started);
    QVERIFY(result.aborted);
    QVERIFY(!result.ok());
    const qint64 pid = readPid(pidFile);
    QVERIFY(pid > 0);
    QVERIFY(::kill(pid_t(pid), 0) == -1 && errno == ESRCH);

    Workspace workspace;
    QString error;
    QVERIFY2(workspace.create(&error), qPrintable(error));
    const StageResult later = joinPage(pdftk, workspace, 1);
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
