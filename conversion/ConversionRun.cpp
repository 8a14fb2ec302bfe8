#include "conversion/ConversionRun.h"

#include "conversion/RunLog.h"
#include "conversion/RunProgress.h"
#include "conversion/RunWindow.h"
#include "conversion/Saving.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

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

ConversionRun::ConversionRun(RunWindow& window, StagesFactory makeStages, QObject* parent)
    : QObject(parent), m_window(window), m_makeStages(std::move(makeStages))
{
}

ConversionRun::~ConversionRun()
{
    if (m_stages) {
        m_stages->abort();
        m_stages->removeWorkspace();
    }
}

void ConversionRun::requestAbort()
{
    m_aborted = true;
    if (m_stages) {
        m_stages->abort();
    }
}

void ConversionRun::start()
{
    if (m_running) {
        return;
    }
    if (m_window.entryCount() < 1) {
        Q_EMIT messageRaised(MessageIcon::Exclamation, QCoreApplication::translate("ConversionRun", "Add File"),
                             QCoreApplication::translate("ConversionRun", "Please add a file"));
        m_window.sweepToolBar(false);
        return;
    }
    m_stages = m_makeStages(m_window.owner());
    m_running = true;
    m_aborted = false;
    m_page = 0;
    m_joinStep = 0;
    m_joined = 0;
    m_destination.clear();
    qCInfo(lcRun) << "run of" << m_window.entryCount() << "images started";
    // Busy and locked from the click on, while the answer on the tools may still be out: the list the run
    // converts is the list the user saw when pressing the button.
    m_window.setBusy(true);
    m_window.setListLocked(true);
    goOn(Step::CheckTools);
}

void ConversionRun::answerSave(const QString& destination)
{
    if (!m_awaitingAnswer) {
        return;
    }
    m_awaitingAnswer = false;
    if (m_aborted) {
        finish(Outcome::Aborted);
        return;
    }
    if (destination.isEmpty()) {
        Q_EMIT progressed(QCoreApplication::translate("ConversionRun", "Nothing was saved."), 0);
        finish(Outcome::NotSaved);
        return;
    }
    m_destination = withPdfExtension(destination);
    goOn(Step::Save);
}

void ConversionRun::goOn(Step next)
{
    m_step = next;
    // Each step starts from the window's event loop: what the user did meanwhile (a close among it) is taken in
    // first.
    QTimer::singleShot(0, this, &ConversionRun::runStep);
}

void ConversionRun::runStep()
{
    if (!m_running) {
        return;
    }
    if (m_aborted) {
        finish(Outcome::Aborted);
        return;
    }
    switch (m_step) {
    case Step::CheckTools:
        // Refuse before any work when the tools are missing.
        if (!failed(m_stages->checkTools())) {
            goOn(Step::Prepare);
        }
        break;
    case Step::Prepare:
        m_count = m_window.entryCount();
        // The output folder, one level; an existing folder is fine and any other failure is not ours to report.
        if (const QString folder = m_window.outputFolder(); !folder.isEmpty()) {
            QDir().mkdir(folder);
        }
        if (failed(m_stages->prepareWorkspace())) {
            break;
        }
        m_window.saveSettings();
        if (failed(m_stages->writeInfo(m_window.documentInfo()))) {
            break;
        }
        Q_EMIT progressed(QCoreApplication::translate("ConversionRun", "Preparing Files..."), -1);
        goOn(Step::Page);
        break;
    case Step::Page:
        makePage();
        break;
    case Step::Join:
        join();
        break;
    case Step::ApplyInfo: {
        if (failed(m_stages->applyInfo(m_count))) {
            break;
        }
        QString outputFolder = m_window.outputFolder();
        if (outputFolder.endsWith(QLatin1Char('/'))) {
            outputFolder.chop(1);
            m_window.setOutputFolder(outputFolder);
        }
        goOn(Step::AskSave);
        break;
    }
    case Step::AskSave:
        // The finished document is only ever given up by a cancel: a save that fails says why and asks again.
        m_awaitingAnswer = true;
        Q_EMIT saveAsked(QCoreApplication::translate("ConversionRun", "Save"),
                         QCoreApplication::translate("ConversionRun", "PDF Files(*.pdf)|*.pdf"));
        break;
    case Step::Save:
        save();
        break;
    }
}

void ConversionRun::makePage()
{
    const int i = m_page;
    if (i + 1 < m_count) {
        m_stages->readAhead(m_window.entry(i + 1));
    }
    Q_EMIT phaseReached(Phase::Page, i, m_count);
    const PageDescriptionSource describe = [this] { return m_window.pageDescription(); };
    if (failed(m_stages->makePage(i, m_window.entry(i), describe), i)) {
        return;
    }
    showPercent(QCoreApplication::translate("ConversionRun", "Preparing Files..."), progressPercent(i, m_count));
    ++m_page;
    if (m_page < m_count) {
        goOn(Step::Page);
        return;
    }
    Q_EMIT progressed(QCoreApplication::translate("ConversionRun", "Now Start Creating..."), 100);
    // The pages are joined once, in steps of many pages; the percentage follows the pages put together.
    m_joins = m_stages->planJoin(m_count);
    goOn(m_joins.isEmpty() ? Step::ApplyInfo : Step::Join);
}

void ConversionRun::join()
{
    const int pages = std::accumulate(m_joins.begin(), m_joins.end(), 0);
    Q_EMIT phaseReached(Phase::Join, m_joined + m_joins.at(m_joinStep), pages);
    if (failed(m_stages->join(m_joinStep))) {
        return;
    }
    m_joined += m_joins.at(m_joinStep);
    if (m_count > 1) {
        showPercent(QCoreApplication::translate("ConversionRun", "Creating..."), percentOf(m_joined, pages));
    }
    ++m_joinStep;
    goOn(m_joinStep < m_joins.size() ? Step::Join : Step::ApplyInfo);
}

void ConversionRun::save()
{
    Q_EMIT phaseReached(Phase::Save, 0, 1);
    const StageResult saved = m_stages->saveTo(m_destination);
    if (!saved.ok && !m_window.asksAgainAfterFailedSave()) {
        (void)failed(saved);
        return;
    }
    if (!saved.ok) {
        Q_EMIT messageRaised(MessageIcon::Critical, stageTitle(saved.title),
                             saved.text + QCoreApplication::translate("ConversionRun",
                                                                      "\n\nChoose another name or folder, or cancel to "
                                                                      "end without saving."));
        if (m_aborted) {
            finish(Outcome::Aborted);
            return;
        }
        goOn(Step::AskSave);
        return;
    }
    Q_EMIT progressed(QCoreApplication::translate("ConversionRun", "Removing Temporary Files..."), 0);
    m_stages->removeWorkspace();
    if (m_aborted) {
        finish(Outcome::Aborted); // the window closed meanwhile: the document is saved, but nothing opens it now
        return;
    }
    Q_EMIT progressed(QCoreApplication::translate("ConversionRun", "Done."), -1);
    finish(Outcome::Saved);
}

void ConversionRun::finish(Outcome outcome)
{
    qCInfo(lcRun) << "run ended:"
                  << (outcome == Outcome::Saved      ? "saved"
                      : outcome == Outcome::NotSaved ? "not saved"
                      : outcome == Outcome::Aborted  ? "stopped"
                                                     : "failed");
    if (outcome != Outcome::Saved) {
        m_stages->removeWorkspace();
    }
    m_stages.reset();
    m_running = false;
    m_awaitingAnswer = false;
    m_window.setListLocked(false);
    const QString destination = outcome == Outcome::Saved ? m_destination : QString();
    m_destination.clear();
    Q_EMIT ended(outcome, destination);
}

bool ConversionRun::failed(const StageResult& result, int entryToSelect)
{
    if (result.ok) {
        return false;
    }
    if (m_aborted) {
        finish(Outcome::Aborted);
        return true;
    }
    Q_EMIT progressed(QCoreApplication::translate("ConversionRun", "Stopped: nothing was saved."), 0);
    if (entryToSelect >= 0 && entryToSelect < m_window.entryCount()) {
        m_window.selectEntry(entryToSelect);
    }
    Q_EMIT messageRaised(MessageIcon::Critical, stageTitle(result.title), result.text);
    finish(m_aborted ? Outcome::Aborted : Outcome::Failed);
    return true;
}

void ConversionRun::showPercent(const QString& text, int percent)
{
    if (percent < 0) {
        return; // a single entry has no percentage: the texts stay as they are
    }
    Q_EMIT progressed(text + QString::number(percent) + QLatin1Char('%'), percent);
}
