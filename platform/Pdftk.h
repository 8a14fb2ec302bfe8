#pragma once

#include <QString>
#include <QStringList>

class QEventLoop;
class QProcess;

// How one pdftk run ended.
struct PdftkResult
{
    bool started = false; // false: the program could not be started at all (errorText says why)
    bool crashed = false; // it died from a signal (crashed, or was killed from outside)
    bool aborted = false; // we stopped it, or did not start it, because the window is closing
    int exitCode = -1;    // meaningful when it started and neither crashed nor was aborted
    QString errorText;    // what it wrote to its error output, trimmed; or why it could not be started

    [[nodiscard]] bool ok() const { return started && !crashed && !aborted && exitCode == 0; }
};

// The pdftk command-line tool, run as a child program.
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
    // The window is closing: kill a running child at once and start no more.
    virtual void abort() = 0;
};

// pdftk beside the running program if it is there and executable, otherwise the one on PATH; empty if neither.
[[nodiscard]] QString locatePdftk();

// Runs the real pdftk through QProcess, with a UTF-8 locale so that update_info_utf8 and non-ASCII paths work.
class ProcessPdftk final : public Pdftk
{
public:
    // Uses locatePdftk().
    ProcessPdftk();
    // Uses exactly this program (which may be missing: isAvailable() then says false).
    explicit ProcessPdftk(QString program);
    ~ProcessPdftk() override;
    ProcessPdftk(const ProcessPdftk&) = delete;
    ProcessPdftk& operator=(const ProcessPdftk&) = delete;

    [[nodiscard]] QString program() const override { return m_program; }
    [[nodiscard]] bool isAvailable() const override;
    [[nodiscard]] PdftkResult RunPdftkAndWait(const QStringList& arguments) override;
    void abort() override;

private:
    QString m_program;
    QProcess* m_running = nullptr;
    QEventLoop* m_loop = nullptr;
    bool m_aborted = false;
};
