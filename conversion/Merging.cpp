#include "conversion/Merging.h"

#include "conversion/Workspace.h"
#include "platform/Pdftk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kTitle = QStringLiteral("Convert");
const QString kInstallHint = QStringLiteral("Install it, for example with the Debian package pdftk-java "
                                            "(sudo apt install pdftk-java), and convert again.");
constexpr qsizetype kMaxToolText = 1500;

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Why a run that did not succeed failed, as the end of a sentence.
QString reasonOf(const PdftkResult& result, const QString& program)
{
    if (!result.started) {
        return QStringLiteral("pdftk (%1) could not be started (%2)").arg(native(program), result.errorText);
    }
    if (result.crashed) {
        return QStringLiteral("pdftk stopped unexpectedly");
    }
    return QStringLiteral("pdftk ended with exit code %1").arg(result.exitCode);
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
    return QStringLiteral("\n\npdftk reported:\n") + text;
}

// Runs one step that must leave a non-empty output file; what describes the step in a message.
StageResult runStep(Pdftk& pdftk, const QStringList& arguments, const QString& output, const QString& what)
{
    // A leftover file must not pass for this step's result.
    QFile::remove(output);
    const PdftkResult result = pdftk.RunPdftkAndWait(arguments);
    if (result.aborted) {
        return StageResult::failure(kTitle, QStringLiteral("The conversion was stopped."));
    }
    if (!result.ok()) {
        return StageResult::failure(
            kTitle, QStringLiteral("%1 failed: %2.").arg(what, reasonOf(result, pdftk.program())) + toolSaid(result));
    }
    const QFileInfo written(output);
    if (!written.isFile() || written.size() == 0) {
        return StageResult::failure(
            kTitle,
            QStringLiteral("%1 failed: pdftk ended without writing %2.").arg(what, native(output)) + toolSaid(result));
    }
    return StageResult::success();
}

} // namespace

StageResult checkPdftk(Pdftk& pdftk)
{
    if (pdftk.program().isEmpty()) {
        return StageResult::failure(kTitle, QStringLiteral("pdftk, which joins the pages into one PDF, was not found "
                                                           "beside Pagewell or on the search path (PATH). ") +
                                                kInstallHint);
    }
    if (!pdftk.isAvailable()) {
        return StageResult::failure(kTitle, QStringLiteral("pdftk, which joins the pages into one PDF, was not found "
                                                           "at %1, or it cannot be run. ")
                                                    .arg(native(pdftk.program())) +
                                                kInstallHint);
    }
    const PdftkResult result = pdftk.RunPdftkAndWait({QStringLiteral("--version")});
    if (result.aborted) {
        return StageResult::failure(kTitle, QStringLiteral("The conversion was stopped."));
    }
    if (!result.ok()) {
        return StageResult::failure(kTitle, QStringLiteral("pdftk (%1) does not work: %2. ")
                                                    .arg(native(pdftk.program()), reasonOf(result, pdftk.program())) +
                                                kInstallHint + toolSaid(result));
    }
    return StageResult::success();
}

StageResult copyFirstPageFile(const Workspace& workspace)
{
    const QString source = workspace.pageFile(0);
    const QString target = workspace.chainFile(1);
    if (!QFileInfo(source).isFile()) {
        return StageResult::failure(kTitle, QStringLiteral("The first page %1 is missing, so the document cannot be "
                                                           "put together.")
                                                .arg(native(source)));
    }
    QFile::remove(target);
    QFile file(source);
    if (!file.copy(target)) {
        return StageResult::failure(kTitle, QStringLiteral("The first page %1 could not be copied to %2: %3.")
                                                .arg(native(source), native(target), file.errorString()));
    }
    return StageResult::success();
}

QStringList joinArguments(const Workspace& workspace, int index)
{
    return {workspace.chainFile(index), workspace.pageFile(index),      QStringLiteral("cat"),
            QStringLiteral("output"),   workspace.chainFile(index + 1), QStringLiteral("dont_ask")};
}

QStringList infoArguments(const Workspace& workspace, int count)
{
    return {workspace.chainFile(count), QStringLiteral("update_info_utf8"), workspace.infoFile(),
            QStringLiteral("output"),   workspace.finishedFile(),           QStringLiteral("dont_ask")};
}

StageResult joinPage(Pdftk& pdftk, const Workspace& workspace, int index)
{
    const QString what = QStringLiteral("Joining page %1 (%2) to the pages before it")
                             .arg(QString::number(index + 1), native(workspace.pageFile(index)));
    StageResult result = runStep(pdftk, joinArguments(workspace, index), workspace.chainFile(index + 1), what);
    if (result.ok) {
        QFile::remove(workspace.chainFile(index));
    }
    return result;
}

StageResult applyDocumentInfo(Pdftk& pdftk, const Workspace& workspace, int count)
{
    const QString what =
        QStringLiteral("Writing the document information (%1) into the PDF").arg(native(workspace.infoFile()));
    return runStep(pdftk, infoArguments(workspace, count), workspace.finishedFile(), what);
}
