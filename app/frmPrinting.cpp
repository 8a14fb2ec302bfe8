#include "app/frmPrinting.h"

#include "app/GettingStartedPicture.h"
#include "app/MainWindowLayout.h"
#include "app/PageChoices.h"
#include "app/PdfDate.h"
#include "app/QualityLabels.h"
#include "app/SettingsFile.h"
#include "app/WindowPlacement.h"
#include "conversion/ConversionRun.h"
#include "conversion/PagePlacement.h"
#include "dialogs/CCommonDialogs.h"
#include "imagelist/FocusSweep.h"
#include "imagelist/FolderScan.h"
#include "imagelist/ImageListWidget.h"
#include "imagelist/ListPictures.h"
#include "imagelist/ToolBarCommands.h"
#include "imagereader/ListPictureQueue.h"
#include "platform/Clock.h"
#include "platform/DocumentOpener.h"
#include "platform/MessageBoxes.h"
#include "platform/PosixFile.h"
#include "platform/Skin.h"
#include "platform/SystemDialogs.h"
#include "preview/ShowImage.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedLayout>
#include <QStandardPaths>
#include <QUrl>

frmPrinting::frmPrinting(AppServices services, QWidget* parent) : QMainWindow(parent), m_services(std::move(services))
{
    m_ui.setupUi(*this, m_services.homeFolder + QStringLiteral("/output"),
                 [this](WindowCommand command) { runCommand(command); });
    connectControls();
    startUp();
    // The size the window was drawn for, where the screen has room for it.
    placeWindow(*this, m_services.windowStateFile, QSize(1060, 640));
}

frmPrinting::~frmPrinting() = default;

void frmPrinting::connectControls()
{
    for (int index = 0; index < m_ui.toolBarButtons.size(); ++index) {
        connect(m_ui.toolBarButtons.at(index), &QAbstractButton::clicked, this,
                [this, index] { runToolBarCommand(index); });
    }
    // The label follows the selection: tabbing into the list makes an entry current without selecting it.
    connect(m_ui.imageList, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = m_ui.imageList->selectedItems();
        showPageNumber(selected.isEmpty() ? -1 : m_ui.imageList->row(selected.constFirst()));
    });
    // A drop on the panel hides it; the list beneath takes later drops.
    connect(m_ui.imageList->model(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_ui.gettingStartedPanel->isHidden()) {
            m_ui.listStack->setCurrentWidget(m_ui.imageList);
        }
    });
    m_ui.gettingStartedPanel->installEventFilter(this);
    m_scan = new FolderScan(this);
    connect(m_scan, &FolderScan::found, m_ui.imageList, &ImageListWidget::appendPaths);
    connect(m_scan, &FolderScan::finished, this, &frmPrinting::scanFinished);
    m_listPictures = new ListPictureQueue(this);
    connect(m_ui.imageList->pictures(), &ListPictures::wanted, m_listPictures, &ListPictureQueue::request);
    connect(m_listPictures, &ListPictureQueue::pictureRead, m_ui.imageList->pictures(), &ListPictures::take);
    if (m_services.previewStore) {
        m_ui.preview->ReadProperties(*m_services.previewStore);
    }
    connect(m_ui.nowButton, &QPushButton::clicked, this, &frmPrinting::refreshCreationDate);
    connect(m_ui.qualitySlider, &QSlider::valueChanged, this, &frmPrinting::refreshQualityLabels);
    connect(m_ui.qualitySlider, &QSlider::sliderPressed, this,
            [this] { m_ui.qualityPercentLabel->setText(qualityPercentText(m_ui.qualitySlider->value())); });
    connect(m_ui.paperSizeBox, &QComboBox::currentIndexChanged, this, &frmPrinting::refreshPageControls);
    connect(m_ui.orientationBox, &QComboBox::currentIndexChanged, this, &frmPrinting::refreshPageControls);
    connect(m_ui.marginBox, &QSpinBox::valueChanged, this, &frmPrinting::refreshPageControls);
    connect(m_ui.keepOriginalBox, &QCheckBox::toggled, this, &frmPrinting::refreshPageControls);
    connect(m_ui.browseButton, &QPushButton::clicked, this, &frmPrinting::browseOutputFolder);
    connect(m_ui.convertButton, &QPushButton::clicked, this, [this] {
        if (m_unloaded) {
            return; // a closed window starts no run
        }
        m_run->start();
    });
}

void frmPrinting::runCommand(WindowCommand command)
{
    switch (command) {
    case WindowCommand::OpenAFile:
        runToolBarCommand(OpenAFile);
        break;
    case WindowCommand::AddFolder:
        runToolBarCommand(AddFolder);
        break;
    case WindowCommand::MoveUp:
        runToolBarCommand(MoveUp);
        break;
    case WindowCommand::MoveDown:
        runToolBarCommand(MoveDown);
        break;
    case WindowCommand::RotateLeft:
        runToolBarCommand(RotateLeft);
        break;
    case WindowCommand::RotateRight:
        runToolBarCommand(RotateRight);
        break;
    case WindowCommand::Exit:
        runToolBarCommand(ExitProgram);
        break;
    case WindowCommand::RemoveSelected:
        removeSelected();
        break;
    case WindowCommand::Convert:
        m_ui.convertButton->click();
        break;
    case WindowCommand::Website:
        m_services.opener->openUrl(QUrl(QString::fromLatin1(kWebsiteAddress)));
        break;
    case WindowCommand::About:
        showAbout();
        break;
    }
}

void frmPrinting::startUp()
{
    // 1-3: the skin; whatever it does, start-up goes on.
    if (m_services.skin) {
        m_services.skin->SkinH_Attach();
        m_services.skin->SkinH_Aero(this);
        m_services.skin->SkinH_Aero_Adjust(220, 0, 0, 0, 0, 0, 0, 0, 0);
    }
    // 4: the one dialog object, owned by this window.
    m_dialogs = std::make_unique<CCommonDialogs>(*m_services.dialogs, m_services.programFolder);
    m_dialogs->Init(this);

    m_commands = std::make_unique<ToolBarCommands>(*m_ui.imageList, static_cast<ToolBarWindow&>(*this));
    m_run = std::make_unique<ConversionRun>(static_cast<RunWindow&>(*this), m_services.makeStages);
    connect(m_run.get(), &ConversionRun::progressed, this, &frmPrinting::showProgress);
    connect(m_run.get(), &ConversionRun::messageRaised, this,
            [this](MessageIcon icon, const QString& title, const QString& text) {
                m_services.messages->show(this, icon, title, text);
            });
    connect(m_run.get(), &ConversionRun::saveAsked, this,
            [this](const QString& title, const QString& filter) { m_run->answerSave(askSaveFile(title, filter)); });
    connect(m_run.get(), &ConversionRun::ended, this, &frmPrinting::runEnded);

    // 5: the labels follow the slider, whatever their first texts were.
    refreshQualityLabels();
    // 6: the program's name, the same in every language.
    setWindowTitle(QStringLiteral("Free Pagewell"));
    // 7
    const QString configFolder = m_services.configFolder.isEmpty()
                                     ? QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
                                     : m_services.configFolder;
    m_settingsPath = m_services.installedProgram ? settingsFilePath(configFolder)
                                                 : settingsFileLocation(m_services.programFolder, configFolder);
    loadSettings();
    showPageChoices(readPageChoices(pageChoicesFile(), PageDescription{}));
    // 8
    refreshCreationDate();
}

void frmPrinting::shutDown()
{
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    rememberWindow(*this, m_services.windowStateFile);
    writePageChoices(pageChoicesFile(), pageDescription());
    if (m_run && m_run->isRunning()) {
        m_run->requestAbort();
    }
    // A closed window ends a folder search.
    m_scan->stop();
    if (m_services.skin) {
        m_services.skin->SkinH_Detach();
    }
}

void frmPrinting::closeEvent(QCloseEvent* event)
{
    // Closing cannot be refused and saves no settings, only where the window stood; a run under way stops and cleans
    // up after itself.
    shutDown();
    event->accept();
}

bool frmPrinting::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui.gettingStartedPanel && event->type() == QEvent::Resize) {
        drawGettingStartedPicture();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmPrinting::drawGettingStartedPicture()
{
    const QSize room = m_ui.gettingStartedPanel->contentsRect().size() - QSize(16, 16);
    m_ui.gettingStartedPanel->setPixmap(QPixmap::fromImage(gettingStartedPicture(room, devicePixelRatioF())));
}

int frmPrinting::addDroppedPaths(const QList<QByteArray>& paths)
{
    const int added = m_ui.imageList->takePaths(paths);
    if (added > 0) {
        m_ui.gettingStartedPanel->hide();
    }
    return added;
}

void frmPrinting::removeSelected()
{
    // The current entry counts only when it is also selected: the focus alone makes the first entry current.
    const QList<QListWidgetItem*> selected = m_ui.imageList->selectedItems();
    if (m_ui.imageList->isLocked() || selected.isEmpty()) {
        return;
    }
    const int row = m_ui.imageList->row(selected.constFirst());
    delete m_ui.imageList->takeItem(row);
    const int next = std::min(row, m_ui.imageList->count() - 1);
    m_ui.imageList->setCurrentRow(next);
    showPageNumber(next); // also when the selection stayed on the same row number
}

void frmPrinting::loadSettings()
{
    if (!QFileInfo::exists(settingsPath())) {
        return;
    }
    const SettingsRead read = readSettingsFile(settingsPath());
    if (read.title) {
        m_ui.titleField->setText(*read.title);
    }
    if (read.author) {
        m_ui.authorField->setText(*read.author);
    }
    if (read.subject) {
        m_ui.subjectField->setText(*read.subject);
    }
    if (read.keywords) {
        m_ui.keywordsField->setText(*read.keywords);
    }
    if (const std::optional<int> quality = qualityWithinRange(read.quality)) {
        m_ui.qualitySlider->setValue(*quality);
    }
}

void frmPrinting::saveSettings()
{
    const SettingsValues values{m_ui.titleField->text(), m_ui.authorField->text(), m_ui.subjectField->text(),
                                m_ui.keywordsField->text(), m_ui.qualitySlider->value()};
    QString ignored;
    // A program folder that cannot be written loses the settings quietly; the run goes on.
    (void)writeSettingsFile(settingsPath(), values, &ignored);
}

void frmPrinting::refreshQualityLabels()
{
    const int position = m_ui.qualitySlider->value();
    m_ui.qualityPercentLabel->setText(qualityPercentText(position));
    m_ui.qualityWordLabel->setText(qualityWord(position));
    m_ui.qualitySlider->setAccessibleDescription(
        m_ui.qualityWordLabel->text()); // heard with the slider's value: "80, Best"
}

void frmPrinting::refreshCreationDate()
{
    m_ui.creationDateField->setText(pdfDateString(m_services.clock->now()));
}

void frmPrinting::runToolBarCommand(int index)
{
    m_commands->run(index);
    endIfUnloaded();
}

void frmPrinting::endIfUnloaded()
{
    // Closing the window ends the program. When it was closed from inside long work (a run, a folder scan),
    // the quit that came with the close may have been taken by one of the work's own waits: end it now.
    if (m_unloaded) {
        QCoreApplication::quit();
    }
}

void frmPrinting::sweepToolBar()
{
    focusSweep(m_ui.toolBarButtons);
}

void frmPrinting::sweepToolBar(bool enable)
{
    focusSweep(m_ui.toolBarButtons, enable);
}

int frmPrinting::entryCount() const
{
    return m_ui.imageList->count();
}

ImageFile frmPrinting::entry(int index) const
{
    ImageFile file(m_ui.imageList->item(index)->text(), m_ui.imageList->nativePath(index));
    file.quarterTurns = m_ui.imageList->item(index)->data(ImageListWidget::kQuarterTurnsRole).toInt();
    return file;
}

PageDescription frmPrinting::pageDescription() const
{
    PageDescription page;
    page.quality = m_ui.qualitySlider->value();
    page.paper = PaperSize(m_ui.paperSizeBox->currentData().toInt());
    page.orientation = PaperOrientation(m_ui.orientationBox->currentData().toInt());
    page.marginMm = m_ui.marginBox->value();
    page.keepOriginal = m_ui.keepOriginalBox->isChecked();
    return page;
}

QString frmPrinting::pageChoicesFile() const
{
    if (m_services.windowStateFile.isEmpty()) {
        return {};
    }
    return QFileInfo(m_services.windowStateFile).dir().filePath(QStringLiteral("pages.conf"));
}

void frmPrinting::showPageChoices(const PageDescription& choices)
{
    m_ui.paperSizeBox->setCurrentIndex(std::max(0, m_ui.paperSizeBox->findData(int(choices.paper))));
    m_ui.orientationBox->setCurrentIndex(std::max(0, m_ui.orientationBox->findData(int(choices.orientation))));
    m_ui.marginBox->setValue(choices.marginMm);
    m_ui.keepOriginalBox->setChecked(choices.keepOriginal);
    refreshPageControls();
}

void frmPrinting::refreshPageControls()
{
    const PageDescription page = pageDescription();
    // Orientation and margin belong to a sheet of paper; the picture-sized pages have neither.
    const bool sheet = page.paper != PaperSize::AsImage && page.paper != PaperSize::AsScanned;
    m_ui.orientationBox->setEnabled(sheet);
    m_ui.marginBox->setEnabled(sheet);
    // A kept original is never compressed again.
    m_ui.qualitySlider->setEnabled(!page.keepOriginal);
    refreshPreviewSheet();
}

DocumentInfo frmPrinting::documentInfo() const
{
    return {m_ui.titleField->text(), m_ui.authorField->text(), m_ui.creationDateField->text(),
            m_ui.subjectField->text(), m_ui.keywordsField->text()};
}

QString frmPrinting::outputFolder() const
{
    return m_ui.outputFolderField->text();
}

void frmPrinting::setOutputFolder(const QString& folder)
{
    m_ui.outputFolderField->setText(folder);
}

void frmPrinting::setBusy(bool busy)
{
    m_ui.convertButton->setText(busy ? tr("Converting...") : tr(MainWindowLayout::kConvertCaption));
    m_ui.convertButton->setEnabled(!busy);
    if (busy) {
        for (QAbstractButton* button : std::as_const(m_ui.toolBarButtons)) {
            button->setEnabled(false);
        }
    }
}

void frmPrinting::setListLocked(bool locked)
{
    m_ui.imageList->setLocked(locked);
    // The run's reader has the processor to itself.
    m_listPictures->setPaused(locked);
}

bool frmPrinting::listLocked() const
{
    return m_ui.imageList->isLocked();
}

void frmPrinting::showProgress(const QString& text, int percent)
{
    if (percent >= 0) {
        m_ui.progressBar->setValue(percent);
    }
    m_ui.statusLabel->setText(text);
}

void frmPrinting::runEnded(ConversionRun::Outcome outcome, const QString& destination)
{
    // A window that is going away shows nothing more.
    if (outcome != ConversionRun::Outcome::Aborted) {
        setBusy(false);
        if (outcome == ConversionRun::Outcome::Saved) {
            m_services.opener->openUrl(QUrl::fromLocalFile(destination));
            clearAfterSave();
        }
        sweepToolBar(true);
    }
    endIfUnloaded();
}

bool frmPrinting::runUnderWay() const
{
    return m_run && m_run->isRunning();
}

void frmPrinting::selectEntry(int index)
{
    m_ui.imageList->setCurrentRow(index);
}

void frmPrinting::prepareFileDialog(const QString& title, const QString& filter)
{
    m_dialogs->setFilter(filter);
    m_dialogs->setFilename(QString());
    m_dialogs->setTitle(title);
}

QString frmPrinting::askSaveFile(const QString& title, const QString& filter)
{
    prepareFileDialog(title, filter);
    // Without a usable folder of its own (the first save of a session, or after the folder went away) the save
    // dialog starts in the program folder. An installed program's folder takes no files, so the save starts in the
    // output folder instead, which the run has just made.
    const QString start = m_dialogs->Path().trimmed();
    if ((start.isEmpty() || !QFileInfo(start).isDir()) &&
        (m_services.installedProgram || !canMakeFilesIn(m_services.programFolder))) {
        m_dialogs->setPath(outputFolder());
    }
    return m_dialogs->ShowSave() ? m_dialogs->Filename() : QString();
}

std::optional<QString> frmPrinting::askOpenFile(const QString& title, const QString& filter)
{
    prepareFileDialog(title, filter);
    if (!m_dialogs->ShowOpen()) {
        return std::nullopt;
    }
    const QString chosen = m_dialogs->Filename();
    m_dialogs->setFilename(QString());
    return chosen;
}

void frmPrinting::clearAfterSave()
{
    m_ui.imageList->clear();
    m_ui.preview->clear();
    QApplication::beep();
}

void frmPrinting::hideDropPanel()
{
    m_ui.gettingStartedPanel->hide();
}

void frmPrinting::showInPreview(const QString& path)
{
    m_previewPath = path;
    m_ui.preview->setQuarterTurns(0); // a file opened anew is an entry of its own, not yet turned
    m_ui.preview->showImage(path);
}

void frmPrinting::clearPreview()
{
    m_previewPath.clear();
    m_ui.preview->clear();
}

void frmPrinting::entriesTurned()
{
    const QList<QListWidgetItem*> shown = m_ui.imageList->findItems(m_previewPath, Qt::MatchExactly);
    if (!m_previewPath.isEmpty() && !shown.isEmpty()) {
        m_ui.preview->setQuarterTurns(shown.constFirst()->data(ImageListWidget::kQuarterTurnsRole).toInt());
    }
}

void frmPrinting::refreshPreviewSheet()
{
    const PageDescription page = pageDescription();
    if (!paperSheet(page.paper, page.orientation, 1, 1)) {
        m_ui.preview->setSheetLayout({});
        return;
    }
    m_ui.preview->setSheetLayout([page](QSize picture) -> std::optional<PreviewSheet> {
        const PagePlacement placed = placePicture(page, picture.width(), picture.height());
        return PreviewSheet{
            QSizeF(placed.page.width, placed.page.height),
            QRectF(placed.picture.left, placed.picture.top, placed.picture.width, placed.picture.height)};
    });
}

void frmPrinting::setDocumentTitle(const QString& title)
{
    m_ui.titleField->setText(title);
}

void frmPrinting::addFolder()
{
    const std::optional<QString> folder = m_services.dialogs->folder(this, tr("Please select a folder:"));
    if (folder && !folder->isEmpty()) {
        // The list takes what is found as the search goes on; nothing else changes the list meanwhile, and no run
        // starts on half of it.
        m_ui.imageList->setHint(tr("Searching Files..."));
        m_ui.imageList->setLocked(true);
        m_ui.convertButton->setEnabled(false);
        m_scan->start(*folder);
        return;
    }
    repaint();
    sweepToolBar();
}

void frmPrinting::scanFinished()
{
    m_ui.imageList->setHint(tr(MainWindowLayout::kDropHint));
    m_ui.imageList->setLocked(false);
    m_ui.convertButton->setEnabled(true);
    repaint();
    sweepToolBar();
}

bool frmPrinting::scanUnderWay() const
{
    return m_scan->isRunning();
}

void frmPrinting::browseOutputFolder()
{
    const std::optional<QString> folder = m_services.dialogs->folder(this, tr("Please select a folder:"));
    m_ui.outputFolderField->setText(
        folder && !folder->isEmpty() ? *folder : m_services.programFolder + QStringLiteral("/output"));
    sweepToolBar();
}

void frmPrinting::showAbout()
{
    m_services.messages->show(
        this, MessageIcon::None, tr("about"),
        tr("Pagewell %1 © 2026 the Pagewell developers. All rights reserved.").arg(QStringLiteral(PAGEWELL_VERSION)));
    sweepToolBar();
}

void frmPrinting::showPageNumber(int row)
{
    m_ui.pageNumberLabel->setText(tr("Page Number of Selected File: %1").arg(row + 1));
}
