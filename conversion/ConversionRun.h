#pragma once

#include "conversion/ConversionStages.h"

#include <functional>
#include <memory>

class DocumentOpener;
class MessageBoxes;
class QWidget;
class RunWindow;

// Makes the stages of one run; the owner is the window the run belongs to.
using StagesFactory = std::function<std::unique_ptr<ConversionStages>(QWidget* owner)>;

// What the run needs from outside the window.
struct RunServices
{
    MessageBoxes* messages = nullptr;
    DocumentOpener* opener = nullptr;
    StagesFactory makeStages;
};

// One conversion of the whole list into one saved PDF, run inside the click that starts it.
class ConversionRun
{
public:
    ConversionRun(RunWindow& window, RunServices services);

    // The whole run, as the convert button starts it.
    void convert();
    [[nodiscard]] bool isRunning() const { return m_running; }
    // The window is closing: the run stops at its next step and removes its workspace.
    void requestAbort();

private:
    enum class Outcome { Saved, Failed, NotSaved, Aborted };

    Outcome convert(ConversionStages& stages);
    [[nodiscard]] bool failed(const StageResult& result, int entryToSelect = -1);
    [[nodiscard]] bool yieldAndCheck();
    void finishWithoutSaving(const QString& status);
    // The progress bar at percent and the text with it; nothing changes for a percent below 0.
    void showPercent(const QString& text, int percent);

    RunWindow& m_window;
    RunServices m_s;
    bool m_running = false;
    bool m_aborted = false;
    ConversionStages* m_stages = nullptr;
};
