#include "conversion/Merging.h"

#include "conversion/PageWorker.h"
#include "conversion/Workspace.h"
#include "pdftk/PdfPageCount.h"
#include "platform/Pdftk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/statvfs.h>

namespace {

const QString kTitle = QStringLiteral("Convert");
QString installHint()
{
    return QCoreApplication::translate("Merging", "Install it, for example with the Debian package pdftk-java "
                                                  "(sudo apt install pdftk-java), and convert again.");
}
constexpr qsizetype kMaxToolText = 1500;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Why a run that did not succeed failed, as the end of a sentence.
QString reasonOf(const PdftkResult& result, const QString& program)
{
    if (!result.started) {
        return QCoreApplication::translate("Merging", "pdftk (%1) could not be started (%2)")
            .arg(native(program), result.errorText);
    }
    if (result.timedOut) {
        return QCoreApplication::translate("Merging", "pdftk did not finish within %1 s and was stopped")
            .arg(result.timeLimitSeconds);
    }
    if (result.crashed) {
        return QCoreApplication::translate("Merging", "pdftk stopped unexpectedly");
    }
    return QCoreApplication::translate("Merging", "pdftk ended with exit code %1").arg(result.exitCode);
}

QString toolSaid(const PdftkResult& result)
{
    if (!result.started || result.errorText.isEmpty()) {
        return {};
    }
    QString text = result.errorText;
    if (text.size() > kMaxToolText) {
        text = text.left(kMaxToolText) + QStringLiteral(" …");
    }
    return QCoreApplication::translate("Merging", "\n\npdftk reported:\n") + text;
}

// Why the workspace folder could not take a file of about bytes, in plain words naming it; empty when nothing is
// wrong with it that can be seen from here. pdftk itself only says "Internal Error" when its output cannot be written.
QString folderProblem(const QString& folder, qint64 bytes)
{
    if (!QFileInfo(folder).isDir()) {
        return QCoreApplication::translate("Merging", "the folder %1 is not there any more").arg(native(folder));
    }
    struct statvfs space = {};
    if (::statvfs(QFile::encodeName(folder).constData(), &space) != 0) {
        return {};
    }
    if ((space.f_flag & ST_RDONLY) != 0) {
        return QCoreApplication::translate("Merging", "the folder %1 is on a read-only disk").arg(native(folder));
    }
    const qint64 free = qint64(space.f_bavail) * qint64(space.f_frsize);
    if (free < bytes || space.f_favail == 0) {
        return QCoreApplication::translate("Merging",
                                           "the disk is full (the folder %1 has %2 KB free, about %3 KB are needed)")
            .arg(native(folder), QString::number(free / 1024), QString::number(bytes / 1024 + 1));
    }
    return {};
}

} // namespace

StageResult pdftkPresence(const Pdftk& pdftk)
{
    if (pdftk.program().isEmpty()) {
        return StageResult::failure(
            kTitle, QCoreApplication::translate("Merging", "pdftk, which joins the pages into one PDF, was not found "
                                                           "beside Pagewell or on the search path (PATH). ") +
                        installHint());
    }
    if (!pdftk.isAvailable()) {
        return StageResult::failure(
            kTitle, QCoreApplication::translate("Merging", "pdftk, which joins the pages into one PDF, was not found "
                                                           "at %1, or it cannot be run. ")
                            .arg(native(pdftk.program())) +
                        installHint());
    }
    return StageResult::success();
}

StageResult pdftkVersionAnswer(const Pdftk& pdftk, const PdftkResult& versionRun)
{
    if (versionRun.aborted) {
        return StageResult::failure(kTitle, QCoreApplication::translate("Merging", "The conversion was stopped."));
    }
    if (!versionRun.ok()) {
        return StageResult::failure(kTitle,
                                    QCoreApplication::translate("Merging", "pdftk (%1) does not work: %2. ")
                                            .arg(native(pdftk.program()), reasonOf(versionRun, pdftk.program())) +
                                        installHint() + toolSaid(versionRun));
    }
    return StageResult::success();
}

StageResult copyFirstPageFile(const Workspace& workspace, const QString& entry)
{
    const QString source = workspace.pageFile(0);
    const QString target = workspace.chainFile(1);
    if (!QFileInfo(source).isFile()) {
        return StageResult::failure(
            kTitle, QCoreApplication::translate("Merging", "The page of %1 is missing, so the document cannot be put "
                                                           "together.")
                        .arg(entry));
    }
    QFile::remove(target);
    QFile file(source);
    if (!file.copy(target)) {
        return StageResult::failure(
            kTitle, QCoreApplication::translate("Merging", "The page of %1 could not be put into the document: %2.")
                        .arg(entry, file.errorString()));
    }
    return StageResult::success();
}

QStringList joinArguments(const QStringList& inputs, const QString& output)
{
    return inputs + QStringList{QStringLiteral("cat"), QStringLiteral("output"), output, QStringLiteral("dont_ask")};
}

QStringList infoArguments(const Workspace& workspace, int count)
{
    return {workspace.chainFile(count), QStringLiteral("update_info_utf8"), workspace.infoFile(),
            QStringLiteral("output"),   workspace.finishedFile(),           QStringLiteral("dont_ask")};
}

StageResult runPdftkStep(Pdftk& pdftk, const PdftkStep& step, bool* refused)
{
    if (refused) {
        *refused = false;
    }
    PdftkResult result;
    bool wrote = false;
    QString checkError;
    qint64 pages = -1;
    const auto good = [&] { return wrote && result.ok() && (step.expectedPages < 0 || pages == step.expectedPages); };
    const auto attempt = [&] {
        // A leftover file must not pass for this step's result.
        QFile::remove(step.output);
        result = pdftk.RunPdftkAndWait(step.arguments);
        const QFileInfo written(step.output);
        wrote = written.isFile() && written.size() > 0;
        if (result.ok() && wrote && step.expectedPages >= 0) {
            // Reading a document of thousands of pages takes the better part of a tenth of a second: beside the
            // window.
            pages = PageWorker().run([&] { return pdfPageCount(step.output, &checkError); });
        } else {
            pages = -1;
        }
    };
    attempt();
    if (!good() && result.warm && !result.aborted) {
        // The warm JVM may be what failed: pdftk as a process of its own has the last word, and the run keeps to
        // processes from here on.
        pdftk.fallBackToProcesses();
        attempt();
    }
    if (result.aborted) {
        return StageResult::failure(kTitle, QCoreApplication::translate("Merging", "The conversion was stopped."));
    }
    if (good()) {
        return StageResult::success();
    }
    const QFileInfo written(step.output);

    // What is there is of no use, and may be what filled the disk.
    QFile::remove(step.output);
    qint64 needed = 0;
    for (const QString& input : step.inputs) {
        needed += QFileInfo(input).size();
    }
    const QString problem = folderProblem(written.absolutePath(), needed);
    if (!problem.isEmpty()) {
        return StageResult::failure(kTitle,
                                    QCoreApplication::translate("Merging", "%1 failed: %2.").arg(step.what, problem));
    }
    if (refused) {
        *refused = result.started && !result.timedOut; // a hang is not waited out again for each half
    }
    if (!result.ok()) {
        return StageResult::failure(
            kTitle,
            QCoreApplication::translate("Merging", "%1 failed: %2.").arg(step.what, reasonOf(result, pdftk.program())) +
                toolSaid(result));
    }
    if (!wrote) {
        return StageResult::failure(kTitle,
                                    QCoreApplication::translate("Merging", "%1 failed: pdftk ended without writing the "
                                                                           "document.")
                                            .arg(step.what) +
                                        toolSaid(result));
    }
    if (pages < 0) {
        return StageResult::failure(
            kTitle, QCoreApplication::translate("Merging", "%1 failed: pdftk reported success, but what it wrote is "
                                                           "not a PDF that can be read (%2).")
                        .arg(step.what, checkError));
    }
    return StageResult::failure(
        kTitle, QCoreApplication::translate("Merging", "%1 failed: pdftk reported success, but the document it "
                                                       "wrote has %2 instead of %3 pages.")
                    .arg(step.what, QString::number(pages), QString::number(step.expectedPages)));
}

StageResult applyDocumentInfo(Pdftk& pdftk, const Workspace& workspace, int count)
{
    const QString what = QCoreApplication::translate("Merging", "Writing the document information into the PDF");
    return runPdftkStep(
        pdftk, {infoArguments(workspace, count), {workspace.chainFile(count)}, workspace.finishedFile(), count, what});
}
