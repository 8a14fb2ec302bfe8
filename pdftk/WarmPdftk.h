#pragma once

#include "platform/Pdftk.h"

#include <chrono>
#include <memory>

class PdftkHost;

// pdftk warm: the run's steps call pdftk's own entry point in one JVM, hosted by pagewell-pdftk, instead of starting
// pdftk anew for each. The host is started as the run begins (prepare) or by its first call, and ended after the
// information step. After an
// internal error (exit code 2), a crash, a call past the time limit or files left open, a fresh host takes the next
// call. Where the host cannot run this pdftk (no host program, no JVM library, no jar or entry point), and once the
// run has fallen back (fallBackToProcesses), every call goes to processes, the pdftk process chain, without a word.
class WarmPdftk final : public Pdftk
{
public:
    // The host is found with locatePdftkHost().
    explicit WarmPdftk(std::unique_ptr<Pdftk> processes);
    // Uses this host program; empty for none.
    WarmPdftk(std::unique_ptr<Pdftk> processes, QString hostProgram);
    ~WarmPdftk() override;
    WarmPdftk(const WarmPdftk&) = delete;
    WarmPdftk& operator=(const WarmPdftk&) = delete;

    [[nodiscard]] QString program() const override { return m_processes->program(); }
    [[nodiscard]] bool isAvailable() const override { return m_processes->isAvailable(); }
    // Starts the host and its JVM, unless calls go to processes.
    void prepare(bool warmUp) override;
    [[nodiscard]] PdftkResult RunPdftkAndWait(const QStringList& arguments) override;
    void fallBackToProcesses() override;
    void startPdftk(const QStringList& arguments, std::function<void(const PdftkResult&)> whenDone) override
    {
        m_processes->startPdftk(arguments, std::move(whenDone));
    }
    void abort() override;

    // How long one call may take in the host, the JVM's start included, and as a process.
    void setCallLimit(std::chrono::milliseconds limit) override
    {
        m_callLimit = limit;
        m_processes->setCallLimit(limit);
    }
    // The running host's process id, 0 when none runs.
    [[nodiscard]] qint64 hostProcessId() const;
    // The highest peak resident memory of this object's hosts.
    [[nodiscard]] quint64 hostPeakResidentKiB() const { return m_peakResidentKiB; }

private:
    // The host, made when there is none; nothing (and calls go to processes from now on) when this pdftk cannot be
    // hosted.
    PdftkHost* host();
    void endHost();

    std::unique_ptr<Pdftk> m_processes;
    QString m_hostProgram;
    std::unique_ptr<PdftkHost> m_host;
    std::chrono::milliseconds m_callLimit = kPdftkCallLimit;
    bool m_warm = true;
    bool m_aborted = false;
    quint64 m_peakResidentKiB = 0;
};
