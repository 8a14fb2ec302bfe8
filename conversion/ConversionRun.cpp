#include "conversion/ConversionRun.h"

#include "conversion/RunProgress.h"
#include "conversion/Saving.h"
#include "dialogs/CCommonDialogs.h"
#include "imagelist/FocusSweep.h"
#include "imagelist/ImageListWidget.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "preview/ShowImage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QUrl>

namespace {

const QString ConvertCaption = QStringLiteral("Convert To PDF Now");

} // namespace

ConversionRun::ConversionRun(RunControls controls, RunServices services)
    : m_c(std::move(controls)), m_s(std::move(services))
{
}

void ConversionRun::requestAbort()
{
    m_aborted = true;
    if (m_stages) {
        m_stages->abort();
    }
}

void ConversionRun::Command3_Click()
{
    if (m_running) {
        return;
    }
    if (m_c.List1->count() < 1) {
        m_s.messages->show(m_c.window, MessageIcon::Exclamation, QStringLiteral("Add File"),
                           QStringLiteral("Please add a file"));
        sweepToolBar(false);
        return;
    }

    std::unique_ptr<ConversionStages> stages = m_s.makeStages();
    m_running = true;
    m_aborted = false;
    m_stages = stages.get();
    const Outcome outcome = convert(*stages);
    if (outcome != Outcome::Saved) {
        stages->removeWorkspace();
    }
    m_stages = nullptr;
    m_running = false;
    m_c.List1->setLocked(false);
    if (outcome == Outcome::Aborted) {
        return; // the window is going away; nothing more to show
    }
    if (outcome != Outcome::Saved) {
        setBusy(false);
        sweepToolBar(true);
    }
}

ConversionRun::Outcome ConversionRun::convert(ConversionStages& stages)
{
    // Refuse before any work when the tools are missing.
    if (failed(stages.checkTools())) {
        return Outcome::Failed;
    }

    setBusy(true);
    m_c.List1->setLocked(true);
    const int count = m_c.List1->count();

    // The output folder, one level; an existing folder is fine and any other failure is not ours to report.
    QDir().mkdir(m_c.txtPath->text());
    if (failed(stages.prepareWorkspace())) {
        return Outcome::Failed;
    }
    if (m_s.saveSettings) {
        m_s.saveSettings();
    }
    const DocumentInfo info{m_c.txtTitle->text(), m_c.txtCreateFor->text(), m_c.txtCreationDate->text(),
                            m_c.txtSubject->text(), m_c.txtKeywords->text()};
    if (failed(stages.writeInfo(info))) {
        return Outcome::Failed;
    }

    m_c.lblPB->setText(QStringLiteral("Preparing Files..."));
    m_c.pb->setMaximum(100);
    m_c.pb->setMinimum(0);

    QSlider* slider = m_c.Slider1;
    for (int i = 0; i < count; ++i) {
        const QString entry = m_c.List1->item(i)->text();
        if (i + 1 < count) {
            stages.readAhead(m_c.List1->item(i + 1)->text());
        }
        if (failed(stages.makePage(i, entry, [slider] { return slider->value(); }), i)) {
            return m_aborted ? Outcome::Aborted : Outcome::Failed;
        }
        showProgress(QStringLiteral("Preparing Files..."), i, count);
        if (!yieldAndCheck()) {
            return Outcome::Aborted;
        }
    }

    m_c.pb->setValue(100);
    m_c.lblPB->setText(QStringLiteral("Now Start Creating..."));
    if (failed(stages.copyFirstPage())) {
        return Outcome::Failed;
    }
    for (int i = 1; i < count; ++i) {
        if (failed(stages.join(i))) {
            return m_aborted ? Outcome::Aborted : Outcome::Failed;
        }
        showProgress(QStringLiteral("Creating..."), i, count);
        if (!yieldAndCheck()) {
            return Outcome::Aborted;
        }
    }
    if (failed(stages.applyInfo(count))) {
        return m_aborted ? Outcome::Aborted : Outcome::Failed;
    }

    QString outputFolder = m_c.txtPath->text();
    if (outputFolder.endsWith(QLatin1Char('/'))) {
        outputFolder.chop(1);
        m_c.txtPath->setText(outputFolder);
    }

    CCommonDialogs& dialogs = *m_s.dialogs;
    dialogs.setFilter(QStringLiteral("PDF Files(*.pdf)|*.pdf"));
    dialogs.setFilename(QString());
    dialogs.setTitle(QStringLiteral("Save"));
    const bool chosen = dialogs.ShowSave();
    if (m_aborted) {
        return Outcome::Aborted;
    }
    QString destination = dialogs.Filename();
    if (!chosen || destination.isEmpty()) {
        finishWithoutSaving(QStringLiteral("Nothing was saved."));
        return Outcome::NotSaved;
    }
    destination = withPdfExtension(destination);
    if (failed(stages.saveTo(destination))) {
        return Outcome::Failed;
    }

    m_c.pb->setValue(0);
    m_c.lblPB->setText(QStringLiteral("Removing Temporary Files..."));
    stages.removeWorkspace();
    m_c.lblPB->setText(QStringLiteral("Done."));
    m_c.Command3->setEnabled(true);
    m_c.Command3->setText(ConvertCaption);
    m_s.opener->openUrl(QUrl::fromLocalFile(destination));
    m_c.List1->clear();
    m_c.prewImage->Cls();
    QApplication::beep();
    sweepToolBar(true);
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
    m_c.pb->setValue(0);
    m_c.lblPB->setText(QStringLiteral("Stopped: nothing was saved."));
    if (entryToSelect >= 0 && entryToSelect < m_c.List1->count()) {
        m_c.List1->setCurrentRow(entryToSelect);
    }
    m_s.messages->show(m_c.window, MessageIcon::Critical, result.title, result.text);
    return true;
}

bool ConversionRun::yieldAndCheck()
{
    QCoreApplication::processEvents();
    return !m_aborted;
}

void ConversionRun::setBusy(bool busy)
{
    m_c.Command3->setText(busy ? QStringLiteral("Converting...") : ConvertCaption);
    m_c.Command3->setEnabled(!busy);
    if (busy) {
        for (QAbstractButton* button : std::as_const(m_c.CmdToolsBar)) {
            button->setEnabled(false);
        }
    }
}

void ConversionRun::finishWithoutSaving(const QString& status)
{
    m_c.pb->setValue(0);
    m_c.lblPB->setText(status);
}

void ConversionRun::sweepToolBar(bool enable)
{
    focusSweep(m_c.CmdToolsBar, enable);
}

void ConversionRun::showProgress(const QString& text, int index, int count)
{
    const int percent = progressPercent(index, count);
    if (percent < 0) {
        return; // a single entry has no percentage: the texts stay as they are
    }
    m_c.pb->setValue(percent);
    m_c.lblPB->setText(text + QString::number(percent) + QLatin1Char('%'));
}
