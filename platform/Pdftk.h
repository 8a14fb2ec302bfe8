#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

// How long one pdftk call may take, the JVM's start included, warm or as a process: then it is ended, with its
// process group.
inline constexpr std::chrono::milliseconds kPdftkCallLimit = std::chrono::seconds(120);

// How one pdftk run ended.
struct PdftkResult
{
    bool started = false;  // false: the program could not be started at all (errorText says why)
    bool crashed = false;  // it died from a signal (crashed, or was killed from outside)
    bool aborted = false;  // we stopped it, or did not start it, because the window is closing
    bool warm = false;     // it ran in the run's warm JVM, not as a pdftk process of its own
    bool timedOut = false; // it took longer than its time limit (timeLimitSeconds) and was ended
    int timeLimitSeconds = 0;
    int exitCode = -1; // meaningful when it started and neither crashed nor was aborted
    QString errorText; // what it wrote to its error output, trimmed; or why it could not be started

    [[nodiscard]] bool ok() const { return started && !crashed && !aborted && !timedOut && exitCode == 0; }
};

// pdftk, the tool that joins the pages and writes the document information.
class Pdftk
{
public:
    virtual ~Pdftk() = default;

    // The program that RunPdftkAndWait starts; empty when none was found.
    [[nodiscard]] virtual QString program() const = 0;
    // Whether program() names an existing executable file.
    [[nodiscard]] virtual bool isAvailable() const = 0;
    // Runs pdftk with these arguments (no shell, no quoting) and returns when it has ended. The window stays
    // responsive meanwhile.
    [[nodiscard]] virtual PdftkResult RunPdftkAndWait(const QStringList& arguments) = 0;
    // The run's calls are about to come: a pdftk that keeps a JVM for them starts it now, beside the run's pages, so
    // that the first call need not wait for it. warmUp: it also runs pdftk's code once, so that the first call finds
    // it loaded; worth it only while the pages leave a processor free (with the originals kept), since it takes one.
    virtual void prepare(bool warmUp) { Q_UNUSED(warmUp) }
    // A call that ran warm left no good output: every later call, that one's repeat first, runs as a pdftk process.
    virtual void fallBackToProcesses() {}
    // Starts pdftk, exactly as it is installed, with these arguments and returns at once; whenDone is called on this
    // thread with the result once the child has ended (at once when it cannot start). For a question asked in the
    // background; one at a time. Destroying this object first kills the child and never calls whenDone.
    virtual void startPdftk(const QStringList& arguments, std::function<void(const PdftkResult&)> whenDone) = 0;
    // The window is closing: kill a running child at once and start no more.
    virtual void abort() = 0;
    // How long one call may take (kPdftkCallLimit unless set); for tests that cannot wait two minutes.
    virtual void setCallLimit(std::chrono::milliseconds limit) = 0;
};
