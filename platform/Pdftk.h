#pragma once

#include "platform/PdftkJvm.h"

#include <QString>
#include <QStringList>
#include <functional>

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
    // Starts pdftk, exactly as it is installed, with these arguments and returns at once; whenDone is called on this
    // thread with the result once the child has ended (at once when it cannot start). For a question asked in the
    // background; one at a time. Destroying this object first kills the child and never calls whenDone.
    virtual void startPdftk(const QStringList& arguments, std::function<void(const PdftkResult&)> whenDone) = 0;
    // The window is closing: kill a running child at once and start no more.
    virtual void abort() = 0;
};

// pdftk beside the running program if it is there and executable, otherwise the one on PATH; empty if neither.
[[nodiscard]] QString locatePdftk();

// Runs the real pdftk through QProcess, with a UTF-8 locale so that update_info_utf8 and non-ASCII paths work, and
// its JVM started cheaply (PdftkJvm). A run that fails with those options is repeated once without them, so any pdftk
// works as it would on its own.
class ProcessPdftk final : public Pdftk
{
public:
    // Uses locatePdftk(), with the class-data archive in the user's cache folder.
    ProcessPdftk();
    // Uses exactly this program (which may be missing: isAvailable() then says false), with the class-data archive
    // in the user's cache folder.
    explicit ProcessPdftk(QString program);
    // Uses this program, started this way.
    ProcessPdftk(QString program, PdftkJvm jvm);
    ~ProcessPdftk() override;
    ProcessPdftk(const ProcessPdftk&) = delete;
    ProcessPdftk& operator=(const ProcessPdftk&) = delete;

    [[nodiscard]] QString program() const override { return m_program; }
    [[nodiscard]] bool isAvailable() const override;
    [[nodiscard]] PdftkResult RunPdftkAndWait(const QStringList& arguments) override;
    void startPdftk(const QStringList& arguments, std::function<void(const PdftkResult&)> whenDone) override;
    void abort() override;

private:
    enum class ChildPriority
    {
        Normal,
        Low
    };
    void setUpChild(QProcess& process, const QStringList& arguments, const QString& javaToolOptions,
                    ChildPriority priority = ChildPriority::Normal) const;
    // Writes pdftk's class-data archive in the background; the application owns the child.
    void startArchiveDump(PdftkJvm::ArchiveDump dump) const;
    // One child with these JAVA_TOOL_OPTIONS of ours (none when empty), waited for.
    [[nodiscard]] PdftkResult runChild(const QStringList& arguments, const QString& javaToolOptions);

    QString m_program;
    PdftkJvm m_jvm;
    QProcess* m_running = nullptr;
    QEventLoop* m_loop = nullptr;
    QProcess* m_background = nullptr; // started by startPdftk, owned by this object
    bool m_aborted = false;
};
