#pragma once

#include "conversion/ConversionStages.h"
#include "platform/MessageBoxes.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class RunWindow;

// Makes the stages of one run; the owner is the window the run belongs to.
using StagesFactory = std::function<std::unique_ptr<ConversionStages>(QWidget* owner)>;

// One conversion of the whole list into one saved PDF, as a job: start() returns at once, and the run goes on step
// by step from the window's event loop (a page, a join step, the save), so the window stays live between them
// without a loop of the run's own. It reads the window through RunWindow, locks it while it goes, and reports by
// signals: its progress, the messages to show, the question where to save, and its end.
//
//     connect(&run, &ConversionRun::saveAsked, ...);   // the window asks, then run.answerSave(path)
//     run.start();
class ConversionRun : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Saved,
        Failed,
        NotSaved,
        Aborted,
    };
    Q_ENUM(Outcome)
    enum class Phase
    {
        Page,
        Join,
        Save,
    };
    Q_ENUM(Phase)

    ConversionRun(RunWindow& window, StagesFactory makeStages, QObject* parent = nullptr);
    // A run still under way stops here and removes its workspace.
    ~ConversionRun() override;
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    // Starts the whole run, as the convert button does; nothing when one is under way. An empty list is answered
    // with a message, and nothing starts.
    void start();
    [[nodiscard]] bool isRunning() const { return m_running; }
    // The window is closing: the run stops at its next step and removes its workspace.
    void requestAbort();
    // The answer to saveAsked(): where to save, empty when the user cancelled.
    void answerSave(const QString& destination);

Q_SIGNALS:
    // The status text under the progress bar and, when percent is 0 or more, the bar.
    void progressed(const QString& text, int percent);
    // A message for the user, shown before the run goes on.
    void messageRaised(MessageIcon icon, const QString& title, const QString& text);
    // Where the run stands, for a display that counts for itself (the terminal's): Page as page done + 1 of total
    // is made, Join as the pages up to done of total are put together, Save as the document goes to its
    // destination.
    void phaseReached(ConversionRun::Phase phase, int done, int total);
    // Where is the document to go? Answered by answerSave().
    void saveAsked(const QString& title, const QString& filter);
    // The run is over; destination is the saved document's path when outcome is Saved.
    void ended(ConversionRun::Outcome outcome, const QString& destination);

private:
    enum class Step
    {
        CheckTools,
        Prepare,
        Page,
        Join,
        ApplyInfo,
        AskSave,
        Save,
    };

    void runStep();
    void goOn(Step next);
    void finish(Outcome outcome);
    // Ends the run when the result is a failure, showing it (unless the window is closing); true when it did.
    bool failed(const StageResult& result, int entryToSelect = -1);
    void makePage();
    void join();
    void save();
    // The progress bar at percent and the text with it; nothing changes for a percent below 0.
    void showPercent(const QString& text, int percent);

    RunWindow& m_window;
    StagesFactory m_makeStages;
    std::unique_ptr<ConversionStages> m_stages;
    bool m_running = false;
    bool m_aborted = false;
    Step m_step = Step::CheckTools;
    int m_count = 0;               // entries, read once as the run starts
    int m_page = 0;                // the next page to make
    QList<int> m_joins;            // pages each join step puts together
    int m_joinStep = 0;            // the next join step
    int m_joined = 0;              // pages put together so far
    bool m_awaitingAnswer = false; // saveAsked() went out and answerSave() has not come
    QString m_destination;
};
