#include "pdftk/ProcessPdftk.h"

#include "helperprocess/HelperProgram.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <memory>
#include <optional>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

// How a child that has ended (or was stopped, or never started) ended; group is its process group. A child that was
// ended at its time limit passes that limit.
PdftkResult resultOf(QProcess& process, qint64 group, bool stopped, std::optional<std::chrono::milliseconds> limit)
{
    PdftkResult result;
    result.started = process.error() != QProcess::FailedToStart;
    if (!result.started) {
        result.errorText = process.errorString();
        return result;
    }
    result.timedOut = limit.has_value();
    result.timeLimitSeconds = limit ? int(std::chrono::ceil<std::chrono::seconds>(*limit).count()) : 0;
    result.aborted = stopped && !result.timedOut;
    result.crashed = !stopped && !result.timedOut && process.exitStatus() == QProcess::CrashExit;
    if (stopped || result.crashed || result.timedOut) {
        killProcessGroup(group); // whatever the script had started when it was killed
    }
    result.exitCode = process.exitCode();
    result.errorText = withoutJvmNotices(QString::fromUtf8(process.readAllStandardError()).trimmed());
    return result;
}

// The JVM that writes pdftk's class-data archive in the background. It belongs to the application, not to the run
// that asked for it: a run that ends leaves it working; the application's end stops it, and nothing of it is left.
class ArchiveDumpProcess final : public QProcess
{
public:
    explicit ArchiveDumpProcess(PdftkJvm::ArchiveDump dump)
        : QProcess(QCoreApplication::instance()), m_dump(std::move(dump))
    {
        connect(this, &QProcess::finished, this, [this] {
            end(exitStatus() == QProcess::NormalExit && exitCode() == 0);
            deleteLater();
        });
        connect(this, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                end(false);
                deleteLater();
            }
        });
    }
    ~ArchiveDumpProcess() override
    {
        if (state() != QProcess::NotRunning) {
            killProcessGroup(processId());
            kill();
            waitForFinished(-1);
        }
        end(false);
    }
    ArchiveDumpProcess(const ArchiveDumpProcess&) = delete;
    ArchiveDumpProcess& operator=(const ArchiveDumpProcess&) = delete;

    [[nodiscard]] const PdftkJvm::ArchiveDump& dump() const { return m_dump; }

private:
    void end(bool succeeded)
    {
        if (!m_ended) {
            m_ended = true;
            PdftkJvm::dumpEnded(m_dump, succeeded);
        }
    }

    PdftkJvm::ArchiveDump m_dump;
    bool m_ended = false;
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
        killProcessGroup(m_background->processId());
        m_background->kill();
        m_background->waitForFinished(-1);
        delete m_background;
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
    setUpChild(*process, {QStringLiteral("--version")}, process->dump().javaToolOptions, ChildPriority::Low);
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
}

void ProcessPdftk::setUpChild(QProcess& process, const QStringList& arguments, const QString& javaToolOptions,
                              ChildPriority priority) const
{
    process.setProgram(m_program);
    process.setArguments(arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // update_info_utf8 and non-ASCII file names need a UTF-8 locale in the Java runtime.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (!javaToolOptions.isEmpty()) {
        // The user's own options come last and so have the last word.
        const QString own = environment.value(QStringLiteral("JAVA_TOOL_OPTIONS"));
        environment.insert(QStringLiteral("JAVA_TOOL_OPTIONS"),
                           own.isEmpty() ? javaToolOptions : javaToolOptions + QLatin1Char(' ') + own);
    }
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setChildProcessModifier([priority] {
        // pdftk is a shell script that starts Java as its own child, so killing the started process alone would
        // leave the JVM running on. Each run gets a process group of its own, and stopping it kills the whole group.
        ::setpgid(0, 0);
        // Should this program die, the tool goes with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (priority == ChildPriority::Low) {
            // Work for later runs gives way to this one.
            [[maybe_unused]] const int niceness = ::nice(10);
        }
    });
}

PdftkResult ProcessPdftk::runChild(const QStringList& arguments, const QString& javaToolOptions)
{
    QProcess process;
    setUpChild(process, arguments, javaToolOptions);
    QEventLoop loop;
    bool timedOut = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            loop.quit();
        }
    });

    QProcess* const outerRunning = m_running;
    QEventLoop* const outerLoop = m_loop;
    m_running = &process;
    m_loop = &loop;
    process.start();
    const qint64 group = process.processId();
    if (process.state() != QProcess::NotRunning) {
        if (QCoreApplication::instance()) {
            limit.start(m_callLimit);
            loop.exec();
        } else {
            timedOut = !process.waitForFinished(int(m_callLimit.count()));
        }
    }
    m_running = outerRunning;
    m_loop = outerLoop;

    // The wait also ends when abort() is called or the application quits (which ends every nested loop);
    // the child must not outlive it.
    bool stopped = m_aborted;
    if (process.state() != QProcess::NotRunning) {
        killProcessGroup(group);
        process.kill();
        process.waitForFinished(-1);
        stopped = true;
    }
    return resultOf(process, group, stopped && !timedOut,
                    timedOut ? std::optional<std::chrono::milliseconds>(m_callLimit) : std::nullopt);
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
    m_background = new QProcess;
    QProcess* const process = m_background;
    setUpChild(*process, arguments, {});
    // The process id is gone once the child has ended, and its group may still need a kill.
    const auto group = std::make_shared<qint64>(0);
    const auto expired = std::make_shared<bool>(false);
    auto* limit = new QTimer(process);
    limit->setSingleShot(true);
    const auto finish = [this, process, group, expired, limit, callLimit = m_callLimit,
                         whenDone = std::move(whenDone)] {
        m_background = nullptr;
        const bool timedOut = *expired;
        process->disconnect();
        limit->stop();
        process->deleteLater();
        whenDone(resultOf(*process, *group, m_aborted && !timedOut,
                          timedOut ? std::optional<std::chrono::milliseconds>(callLimit) : std::nullopt));
    };
    QObject::connect(limit, &QTimer::timeout, process, [process, group, expired] {
        *expired = true;
        killProcessGroup(*group);
        process->kill(); // finished follows
    });
    QObject::connect(process, &QProcess::finished, process, finish);
    QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            finish();
        }
    });
    process->start();
    *group = process->processId();
    if (process->state() != QProcess::NotRunning) {
        limit->start(m_callLimit);
    }
}

void ProcessPdftk::abort()
{
    m_aborted = true;
    if (m_background) {
        killProcessGroup(m_background->processId());
        m_background->kill();
    }
    if (m_running) {
        killProcessGroup(m_running->processId());
        m_running->kill();
    }
    if (m_loop) {
        m_loop->quit();
    }
}
