#pragma once

#include "app/AppServices.h"
#include "app/MainWindowLayout.h"
#include "conversion/ConversionRun.h"
#include "conversion/RunWindow.h"
#include "imagelist/ToolBarWindow.h"

#include <QList>
#include <QMainWindow>
#include <QStringList>
#include <memory>

class CCommonDialogs;
class FolderScan;
class ListPictureQueue;
class ToolBarCommands;

// The program's one window: the image list and its tool bar, the preview, the document information,
// the quality, the output folder and the convert button. MainWindowLayout builds its controls; this class gives them
// their behaviour. A run and the tool bar reach it through their interfaces.
class frmPrinting final : public QMainWindow, private RunWindow, private ToolBarWindow
{
    Q_OBJECT
public:
    static constexpr auto kWebsiteAddress = "https://pagewell.org";

    explicit frmPrinting(AppServices services, QWidget* parent = nullptr);
    ~frmPrinting() override;

    // The one entry for the tool bar and the menu items that stand for its buttons.
    void runToolBarCommand(int index);
    [[nodiscard]] CCommonDialogs& commonDialogs() const { return *m_dialogs; }
    // Where the settings are read at start-up and written by a run; decided once at start-up.
    [[nodiscard]] QString settingsPath() const { return m_settingsPath; }
    // Appends the paths that pass the image test, in the order given, as a drop of these files would (images named
    // on the command line come this way). Nothing joins while a run owns the list. Returns how many joined.
    int addDroppedPaths(const QList<QByteArray>& paths);
    // Removes the selected entry from the list; the next entry (or the new last one) becomes the selected one.
    void removeSelected();
    // Whether a conversion run is under way.
    [[nodiscard]] bool runUnderWay() const;
    // Whether Add Folder's search is under way.
    [[nodiscard]] bool scanUnderWay() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void runCommand(WindowCommand command);
    void drawGettingStartedPicture();
    void startUp();
    void shutDown();
    void endIfUnloaded();
    void loadSettings();
    void refreshQualityLabels();
    // The page choices' own state file, beside the window's; empty when nothing is remembered.
    [[nodiscard]] QString pageChoicesFile() const;
    void showPageChoices(const PageDescription& choices);
    // Orientation and margin enabled with a sheet of paper only; the preview shows the sheet.
    void refreshPageControls();
    void refreshPreviewSheet();
    void refreshCreationDate();
    void scanFinished();
    void browseOutputFolder();
    void showAbout();
    void showPageNumber(int row);
    void prepareFileDialog(const QString& title, const QString& filter);
    // What the run reports.
    void showProgress(const QString& text, int percent);
    // Asks where to save; empty when the user cancelled.
    [[nodiscard]] QString askSaveFile(const QString& title, const QString& filter);
    void runEnded(ConversionRun::Outcome outcome, const QString& destination);
    // The document was saved: the list and the preview empty, and the user hears it.
    void clearAfterSave();

    // RunWindow
    QWidget* owner() override { return this; }
    int entryCount() const override;
    ImageFile entry(int index) const override;
    PageDescription pageDescription() const override;
    DocumentInfo documentInfo() const override;
    QString outputFolder() const override;
    void setOutputFolder(const QString& folder) override;
    void setBusy(bool busy) override;
    void setListLocked(bool locked) override;
    void selectEntry(int index) override;
    void sweepToolBar(bool enable) override;
    void saveSettings() override;

    // ToolBarWindow
    bool listLocked() const override;
    void hideDropPanel() override;
    void repaintWindow() override { repaint(); }
    void sweepToolBar() override;
    void addFolder() override;
    void exitProgram() override { close(); }
    std::optional<QString> askOpenFile(const QString& title, const QString& filter) override;
    void showInPreview(const QString& path) override;
    void clearPreview() override;
    void entriesTurned() override;
    void setDocumentTitle(const QString& title) override;

    AppServices m_services;
    std::unique_ptr<CCommonDialogs> m_dialogs;
    std::unique_ptr<ToolBarCommands> m_commands;
    std::unique_ptr<ConversionRun> m_run;
    FolderScan* m_scan = nullptr;
    ListPictureQueue* m_listPictures = nullptr; // reads the list's small pictures, paused while a run goes on

    MainWindowLayout m_ui;
    QString m_settingsPath;
    QString m_previewPath; // the file the preview shows, as opened
    bool m_unloaded = false;
};
