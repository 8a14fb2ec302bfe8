#pragma once

#include "conversion/ConversionStages.h"

#include <QList>
#include <QPointer>
#include <functional>
#include <memory>

class CCommonDialogs;
class DocumentOpener;
class ImageListWidget;
class MessageBoxes;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QWidget;
class ShowImage;

// The controls a run reads and writes. All are owned by the main window.
struct RunControls
{
    QWidget* window = nullptr;
    ImageListWidget* List1 = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLineEdit* txtCreateFor = nullptr;
    QLineEdit* txtCreationDate = nullptr;
    QLineEdit* txtSubject = nullptr;
    QLineEdit* txtKeywords = nullptr;
    QLineEdit* txtPath = nullptr;
    QSlider* Slider1 = nullptr;
    QPushButton* Command3 = nullptr;
    QList<QAbstractButton*> CmdToolsBar;
    QProgressBar* pb = nullptr;
    QLabel* lblPB = nullptr;
    ShowImage* prewImage = nullptr;
};

// What the run needs from outside the window.
struct RunServices
{
    CCommonDialogs* dialogs = nullptr;
    MessageBoxes* messages = nullptr;
    DocumentOpener* opener = nullptr;
    std::function<std::unique_ptr<ConversionStages>()> makeStages;
    std::function<void()> saveSettings;
};

// One conversion of the whole list into one saved PDF, run inside the click that starts it.
class ConversionRun
{
public:
    ConversionRun(RunControls controls, RunServices services);

    // The click handler of the convert button.
    void Command3_Click();
    [[nodiscard]] bool isRunning() const { return m_running; }
    // The window is closing: the run stops at its next step and removes its workspace.
    void requestAbort();

private:
    enum class Outcome { Saved, Failed, NotSaved, Aborted };

    Outcome convert(ConversionStages& stages);
    [[nodiscard]] bool failed(const StageResult& result, int entryToSelect = -1);
    [[nodiscard]] bool yieldAndCheck();
    void setBusy(bool busy);
    void finishWithoutSaving(const QString& status);
    void sweepToolBar(bool enable);
    void showProgress(const QString& text, int index, int count);

    RunControls m_c;
    RunServices m_s;
    bool m_running = false;
    bool m_aborted = false;
    ConversionStages* m_stages = nullptr;
};
