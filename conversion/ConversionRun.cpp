#include "conversion/ConversionRun.h"

#include "conversion/RunLog.h"
#include "conversion/RunProgress.h"
#include "conversion/RunWindow.h"
#include "conversion/Saving.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QUrl>

#include <numeric>

namespace {

// The titles the stages give their messages, shown in the user's language.
[[maybe_unused]] const char* const kStageTitles[] = {
    QT_TRANSLATE_NOOP("ConversionRun", "Convert"),
    QT_TRANSLATE_NOOP("ConversionRun", "Save"),
    QT_TRANSLATE_NOOP("ConversionRun", "PDF"),
    QT_TRANSLATE_NOOP("ConversionRun", "Image"),
};

QString stageTitle(const QString& title)
{
    return QCoreApplication::translate("ConversionRun", title.toUtf8().constData());
}

} // namespace

ConversionRun::ConversionRun(RunWindow& window, RunServices services) : m_window(window), m_s(std::move(services)) {}

void ConversionRun::requestAbort()
{
    m_aborted = true;
    if (m_stages) {
        m_stages->abort();
    }
}

void ConversionRun::convert()
{
    if (m_running) {
        return;
    }
    if (m_window.entryCount() < 1) {
        m_s.messages->show(m_window.owner(), MessageIcon::Exclamation,
                           QCoreApplication::translate("ConversionRun", "Add File"),
                           QCoreApplication::translate("ConversionRun", "Please add a file"));
        m_window.sweepToolBar(false);
        return;
    }

    std::unique_ptr<ConversionStages> stages = m_s.makeStages(m_window.owner());
    m_running = true;
    m_aborted = false;
    m_stages = stages.get();
    qCInfo(lcRun) << "run of" << m_window.entryCount() << "images started";
    const Outcome outcome = convert(*stages);
    qCInfo(lcRun) << "run ended:"
                  << (outcome == Outcome::Saved      ? "saved"
                      : outcome == Outcome::NotSaved ? "not saved"
                      : outcome == Outcome::Aborted  ? "stopped"
                                                     : "failed");
    if (outcome != Outcome::Saved) {
        stages->removeWorkspace();
    }
    m_stages = nullptr;
    m_running = false;
    m_window.setListLocked(false);
    if (outcome == Outcome::Aborted) {
        return; // the window is going away; nothing more to show
    }
    if (outcome != Outcome::Saved) {
        m_window.setBusy(false);
        m_window.sweepToolBar(true);
    }
}

ConversionRun::Outcome ConversionRun::convert(ConversionStages& stages)
{
    // Busy and locked from the click on, while the answer on the tools may still be out: the list the run
    // converts is the list the user saw when pressing the button.
    m_window.setBusy(true);
    m_window.setListLocked(true);
    // Refuse before any work when the tools are missing.
    if (failed(stages.checkTools())) {
        return Outcome::Failed;
    }
    const int count = m_window.entryCount();

    // The output folder, one level; an existing folder is fine and any other failure is not ours to report.
    QDir().mkdir(m_window.outputFolder());
    if (failed(stages.prepareWorkspace())) {
        return Outcome::Failed;
    }
    m_window.saveSettings();
    if (failed(stages.writeInfo(m_window.documentInfo()))) {
        return Outcome::Failed;
    }

    m_window.setProgressText(QCoreApplication::translate("ConversionRun", "Preparing Files..."));
    const PageDescriptionSource describe = [this] { return m_window.pageDescription(); };
    for (int i = 0; i < count; ++i) {
        if (i + 1 < count) {
            stages.readAhead(m_window.entry(i + 1));
        }
        if (failed(stages.makePage(i, m_window.entry(i), describe), i)) {
            return m_aborted ? Outcome::Aborted : Outcome::Failed;
        }
        showPercent(QCoreApplication::translate("ConversionRun", "Preparing Files..."), progressPercent(i, count));
        if (!yieldAndCheck()) {
            return Outcome::Aborted;
        }
    }

    m_window.setProgressPercent(100);
    m_window.setProgressText(QCoreApplication::translate("ConversionRun", "Now Start Creating..."));
    // The pages are joined once, in steps of many pages; the percentage follows the pages put together.
    const QList<int> joinSteps = stages.planJoin(count);
    const int joinPages = std::accumulate(joinSteps.begin(), joinSteps.end(), 0);
    int joined = 0;
    for (int step = 0; step < joinSteps.size(); ++step) {
        if (failed(stages.join(step))) {
            return m_aborted ? Outcome::Aborted : Outcome::Failed;
        }
        joined += joinSteps.at(step);
        if (count > 1) {
            showPercent(QCoreApplication::translate("ConversionRun", "Creating..."), percentOf(joined, joinPages));
        }
        if (!yieldAndCheck()) {
            return Outcome::Aborted;
        }
    }
    if (failed(stages.applyInfo(count))) {
        return m_aborted ? Outcome::Aborted : Outcome::Failed;
    }

    QString outputFolder = m_window.outputFolder();
    if (outputFolder.endsWith(QLatin1Char('/'))) {
        outputFolder.chop(1);
        m_window.setOutputFolder(outputFolder);
    }

    // The finished document is only ever given up by a cancel: a save that fails says why and asks again.
    QString destination;
    for (;;) {
        destination = m_window.askSaveFile(QCoreApplication::translate("ConversionRun", "Save"),
                                           QCoreApplication::translate("ConversionRun", "PDF Files(*.pdf)|*.pdf"));
        if (m_aborted) {
            return Outcome::Aborted;
        }
        if (destination.isEmpty()) {
            finishWithoutSaving(QCoreApplication::translate("ConversionRun", "Nothing was saved."));
            return Outcome::NotSaved;
        }
        destination = withPdfExtension(destination);
        const StageResult saved = stages.saveTo(destination);
        if (saved.ok) {
            break;
        }
        m_s.messages->show(m_window.owner(), MessageIcon::Critical, stageTitle(saved.title),
                           saved.text + QCoreApplication::translate(
                                            "ConversionRun", "\n\nChoose another name or folder, or cancel to end "
                                                             "without saving."));
        if (m_aborted) {
            return Outcome::Aborted;
        }
    }

    m_window.setProgressPercent(0);
    m_window.setProgressText(QCoreApplication::translate("ConversionRun", "Removing Temporary Files..."));
    stages.removeWorkspace();
    if (m_aborted) {
        return Outcome::Aborted; // the window closed meanwhile: the document is saved, but nothing opens it now
    }
    m_window.setProgressText(QCoreApplication::translate("ConversionRun", "Done."));
    m_window.setBusy(false);
    m_s.opener->openUrl(QUrl::fromLocalFile(destination));
    m_window.clearAfterSave();
    m_window.sweepToolBar(true);
    return Outcome::Saved;
}

bool ConversionRun::failed(const StageResult& result, int entryToSelect)
{
    if (result.ok) {
        return false;
    }
    if (m_aborted) {
        return true;
    }
    m_window.setProgressPercent(0);
    m_window.setProgressText(QCoreApplication::translate("ConversionRun", "Stopped: nothing was saved."));
    if (entryToSelect >= 0 && entryToSelect < m_window.entryCount()) {
        m_window.selectEntry(entryToSelect);
    }
    m_s.messages->show(m_window.owner(), MessageIcon::Critical, stageTitle(result.title), result.text);
    return true;
}

bool ConversionRun::yieldAndCheck()
{
    QCoreApplication::processEvents();
    return !m_aborted;
}

void ConversionRun::finishWithoutSaving(const QString& status)
{
    m_window.setProgressPercent(0);
    m_window.setProgressText(status);
}

void ConversionRun::showPercent(const QString& text, int percent)
{
    if (percent < 0) {
        return; // a single entry has no percentage: the texts stay as they are
    }
    m_window.setProgressPercent(percent);
    m_window.setProgressText(text + QString::number(percent) + QLatin1Char('%'));
}
