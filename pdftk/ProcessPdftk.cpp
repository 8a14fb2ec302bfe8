#include "pdftk/ProcessPdftk.h"

#include "helperprocess/HelperProcess.h"
#include "pdftk/PdftkLog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace {

// How a child that has ended (or was stopped, or never started) ended. A child that was ended at its time limit
// passes that limit.
PdftkResult resultOf(HelperProcess& child, bool stopped, std::optional<std::chrono::milliseconds> limit)
{
    const HelperEnding& ending = child.ending();
    PdftkResult result;
    result.started = !ending.failedToStart;
    if (!result.started) {
        result.errorText = ending.whyNotStarted;
        return result;
    }
    result.timedOut = limit.has_value();
    result.timeLimitSeconds = limit ? int(std::chrono::ceil<std::chrono::seconds>(*limit).count()) : 0;
    result.aborted = stopped && !result.timedOut;
    result.crashed = !stopped && !result.timedOut && ending.signal != 0;
    if (stopped || result.crashed || result.timedOut) {
        child.kill(); // whatever the script had started when it was killed
    }
    result.exitCode = ending.exitCode;
    result.errorText = withoutJvmNotices(QString::fromUtf8(child.readErrorOutput()).trimmed());
    return result;
}

QString howItEnded(const PdftkResult& result)
{
    if (!result.started) {
        return QStringLiteral("not started");
    }
    if (result.timedOut) {
        return QStringLiteral("timed out");
    }
    if (result.aborted) {
        return QStringLiteral("stopped");
    }
    if (result.crashed) {
        return QStringLiteral("crashed");
    }
    return QStringLiteral("exit code %1").arg(result.exitCode);
}

// The JVM that writes pdftk's class-data archive in the background. It belongs to the application, not to the run
// that asked for it: a run that ends leaves it working; the application's end stops it, and nothing of it is left.
class ArchiveDumpProcess final : public HelperProcess
{
public:
    explicit ArchiveDumpProcess(PdftkJvm::ArchiveDump dump)
        : HelperProcess(QCoreApplication::instance()), m_dump(std::move(dump))
    {
        connect(this, &HelperProcess::ended, this, [this] {
            report(ending().exitCode == 0);
            deleteLater();
        });
    }
    ~ArchiveDumpProcess() override
    {
        disconnect(this, &HelperProcess::ended, nullptr, nullptr);
        end();
        report(false);
    }
    ArchiveDumpProcess(const ArchiveDumpProcess&) = delete;
    ArchiveDumpProcess& operator=(const ArchiveDumpProcess&) = delete;

    [[nodiscard]] const PdftkJvm::ArchiveDump& dump() const { return m_dump; }

private:
    void report(bool succeeded)
    {
        if (!m_reported) {
            m_reported = true;
            PdftkJvm::dumpEnded(m_dump, succeeded);
        }
    }

    PdftkJvm::ArchiveDump m_dump;
    bool m_reported = false;
};

} // namespace

QString locatePdftk()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/pdftk");
    const QFileInfo besideInfo(beside);
    if (besideInfo.isFile() && besideInfo.isExecutable()) {
        return beside;
    }
    return QStandardPaths::findExecutable(QStringLiteral("pdftk"));
}

ProcessPdftk::ProcessPdftk() : ProcessPdftk(locatePdftk()) {}

ProcessPdftk::ProcessPdftk(QString program) : ProcessPdftk(program, PdftkJvm(program, defaultPdftkCacheFolder())) {}

ProcessPdftk::ProcessPdftk(QString program, PdftkJvm jvm) : m_program(std::move(program)), m_jvm(std::move(jvm)) {}

ProcessPdftk::~ProcessPdftk()
{
    if (m_background) {
        m_background->disconnect();
        delete m_background; // ends its group
    }
}

bool ProcessPdftk::isAvailable() const
{
    const QFileInfo info(m_program);
    return !m_program.isEmpty() && info.isFile() && info.isExecutable();
}

PdftkResult ProcessPdftk::RunPdftkAndWait(const QStringList& arguments)
{
    PdftkResult result;
    if (m_aborted) {
        result.aborted = true;
        result.errorText = QCoreApplication::translate("ProcessPdftk", "The conversion was stopped.");
        return result;
    }
    if (m_program.isEmpty()) {
        result.errorText = QCoreApplication::translate("ProcessPdftk", "pdftk was not found.");
        return result;
    }

    // Every pdftk command that makes a document names its output.
    const PdftkJvm::Start start = m_jvm.prepare(arguments.contains(QStringLiteral("output")));
    result = runChild(arguments, start.javaToolOptions);
    m_jvm.finished(start, result.ok());
    if (!result.ok() && result.started && !result.aborted && !result.timedOut && !start.javaToolOptions.isEmpty()) {
        // Whatever pdftk does on its own is what counts: once more, exactly as it is installed.
        const PdftkResult plain = runChild(arguments, {});
        if (start.usesArchive && (result.crashed || plain.ok())) {
            m_jvm.discardArchive();
        } else if (!start.usesArchive && plain.ok()) {
            m_jvm.discardOptions();
        }
        result = plain;
    }
    if (std::optional<PdftkJvm::ArchiveDump> dump = m_jvm.archiveToMake()) {
        startArchiveDump(std::move(*dump));
    }
    return result;
}

void ProcessPdftk::startArchiveDump(PdftkJvm::ArchiveDump dump) const
{
    if (!QCoreApplication::instance()) {
        return; // nothing would own the child
    }
    auto* process = new ArchiveDumpProcess(std::move(dump));
    // pdftk's launcher with the dump's options writes the archive and ends without running pdftk.
    HelperSetup setup = setupFor({QStringLiteral("--version")}, process->dump().javaToolOptions);
    setup.discardErrors = true;
    // Work for later runs gives way to this one.
    setup.lowPriority = true;
    QString error;
    if (!process->start(setup, &error)) {
        process->deleteLater();
    }
}

HelperSetup ProcessPdftk::setupFor(const QStringList& arguments, const QString& javaToolOptions) const
{
    HelperSetup setup;
    setup.program = m_program;
    setup.arguments = arguments;
    setup.environment = pdftkEnvironment(javaToolOptions).toStringList();
    setup.discardOutput = true;
    return setup;
}

PdftkResult ProcessPdftk::runChild(const QStringList& arguments, const QString& javaToolOptions)
{
    HelperProcess child;
    HelperProcess* const outer = m_running;
    m_running = &child;
    QString error;
    if (child.start(setupFor(arguments, javaToolOptions), &error)) {
        child.setDeadline(m_callLimit);
        // Also ends when abort() kills it or the application quits; the child must not outlive the wait.
        (void)child.waitForEnd();
    }
    m_running = outer;
    bool stopped = m_aborted;
    if (child.isRunning()) {
        child.end();
        stopped = true;
    }
    const bool timedOut = child.deadlinePassed();
    const PdftkResult result = resultOf(
        child, stopped && !timedOut, timedOut ? std::optional<std::chrono::milliseconds>(m_callLimit) : std::nullopt);
    qCDebug(lcPdftk).noquote() << "pdftk process:" << arguments.size() << "arguments,"
                               << (javaToolOptions.isEmpty() ? "as installed," : "tuned start,") << howItEnded(result);
    return result;
}

void ProcessPdftk::startPdftk(const QStringList& arguments, std::function<void(const PdftkResult&)> whenDone)
{
    PdftkResult refused;
    if (m_aborted || m_background) {
        refused.aborted = true;
        whenDone(refused);
        return;
    }
    if (m_program.isEmpty()) {
        refused.errorText = QCoreApplication::translate("ProcessPdftk", "pdftk was not found.");
        whenDone(refused);
        return;
    }
    m_background = new HelperProcess;
    HelperProcess* const process = m_background;
    const auto finish = [this, process, arguments, callLimit = m_callLimit, whenDone = std::move(whenDone)] {
        m_background = nullptr;
        process->disconnect();
        process->deleteLater();
        const bool timedOut = process->deadlinePassed();
        const PdftkResult result =
            resultOf(*process, m_aborted && !timedOut,
                     timedOut ? std::optional<std::chrono::milliseconds>(callLimit) : std::nullopt);
        qCDebug(lcPdftk).noquote() << "pdftk process in the background:" << arguments.size() << "arguments,"
                                   << howItEnded(result);
        whenDone(result);
    };
    QObject::connect(process, &HelperProcess::ended, process, finish);
    QString error;
    if (!process->start(setupFor(arguments, {}), &error)) {
        if (m_background == process) {
            finish(); // it said nothing of its own
        }
        return;
    }
    process->setDeadline(m_callLimit);
}

void ProcessPdftk::abort()
{
    m_aborted = true;
    // A wait for either ends as it dies.
    if (m_background) {
        m_background->kill();
    }
    if (m_running) {
        m_running->kill();
    }
}
