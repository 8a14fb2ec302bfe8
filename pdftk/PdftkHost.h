#pragma once

#include "pdftk/PdftkLauncher.h"
#include "pdftk/WarmProtocol.h"
#include "platform/Pdftk.h"

#include <QString>

#include <chrono>
#include <memory>

class EventWait;
class HelperProcess;
class QSocketNotifier;

// The helper program that hosts pdftk, where locateHelperProgram() finds it; empty when none is found.
[[nodiscard]] QString locatePdftkHost();

// How one call in the host ended, beyond pdftk's own result.
struct HostCall
{
    enum class Kind
    {
        Answered,  // pdftk ran: see result
        Unusable,  // the host could not be started, or cannot run pdftk (no JVM, no class, no entry point): nothing ran
        Failed,    // the host died, timed out or said something it should not
        Cancelled, // we stopped it
    };
    Kind kind = Kind::Failed;
    PdftkResult result;
    int descriptorsLeftOpen = 0; // descriptors on files the call named that pdftk left open
};

// One pagewell-pdftk process and its JVM, started ahead (start) or by the first call, and kept for the next ones. One
// call at a time, waited for in a nested event loop (the window stays live). The host has a session and process group
// of its own, which a kill ends whole; it dies with the program.
class PdftkHost
{
public:
    PdftkHost(QString hostProgram, PdftkLauncher launcher);
    ~PdftkHost();
    PdftkHost(const PdftkHost&) = delete;
    PdftkHost& operator=(const PdftkHost&) = delete;

    // Starts the host and its JVM and returns at once, for the first call to find it ready, or nearly; with warmUp the
    // host has pdftk join a page and write information into it in memory first (see Pdftk::prepare). Does nothing
    // when it runs already; one that cannot start is told by the next call.
    void start(bool warmUp);
    // Runs pdftk's entry point with these arguments, the host started first if it is not; a call (the JVM's start
    // included, as far as it is still to come) that takes longer than limit is stopped and the host killed.
    [[nodiscard]] HostCall call(const QStringList& arguments, std::chrono::milliseconds limit);
    // Kills the host at once with its process group; a waiting call returns Cancelled.
    void kill();

    // The running host's process id, 0 when none runs.
    [[nodiscard]] qint64 processId() const;
    // The host's peak resident memory as it last reported it.
    [[nodiscard]] quint64 peakResidentKiB() const { return m_peakResidentKiB; }

private:
    bool startProcess(QString* error, bool warmUp = false);
    // Waits for one reply from the host until the deadline; false (and kind, Unusable for a host that could not be
    // started) when none came.
    bool awaitReply(warmpdftk::Reply* reply, std::chrono::milliseconds limit, HostCall::Kind* kind);

    QString m_program;
    PdftkLauncher m_launcher;
    std::unique_ptr<HelperProcess> m_helper;
    EventWait* m_waiting = nullptr;
    QSocketNotifier* m_notifier = nullptr; // the waiting call's, on the host's socket
    bool m_cancelled = false;
    bool m_ready = false; // the host said its JVM runs
    quint64 m_peakResidentKiB = 0;
};
