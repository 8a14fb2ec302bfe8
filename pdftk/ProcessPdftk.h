#pragma once

#include "pdftk/PdftkJvm.h"
#include "platform/Pdftk.h"

class HelperProcess;
struct HelperSetup;

// pdftk beside the running program if it is there and executable, otherwise the one on PATH; empty if neither.
[[nodiscard]] QString locatePdftk();

// Runs the real pdftk through QProcess, with a UTF-8 locale so that update_info_utf8 and non-ASCII paths work, and
// its JVM started cheaply (PdftkJvm). A run that fails with those options is repeated once without them, so any pdftk
// works as it would on its own. A child that runs longer than the call limit is ended with its process group.
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
    void setCallLimit(std::chrono::milliseconds limit) override { m_callLimit = limit; }

private:
    // How pdftk is started with these JAVA_TOOL_OPTIONS of ours (none when empty).
    [[nodiscard]] HelperSetup setupFor(const QStringList& arguments, const QString& javaToolOptions) const;
    // Writes pdftk's class-data archive in the background; the application owns the child.
    void startArchiveDump(PdftkJvm::ArchiveDump dump) const;
    // One child with these JAVA_TOOL_OPTIONS of ours (none when empty), waited for.
    [[nodiscard]] PdftkResult runChild(const QStringList& arguments, const QString& javaToolOptions);

    QString m_program;
    PdftkJvm m_jvm;
    HelperProcess* m_running = nullptr;    // the child runChild() waits for
    HelperProcess* m_background = nullptr; // started by startPdftk, owned by this object
    bool m_aborted = false;
    std::chrono::milliseconds m_callLimit = kPdftkCallLimit;
};
