#include "platform/Pdftk.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

// pdftk is a shell script that starts Java as its own child, so killing the started process alone would leave
// the JVM running on. Each run gets a process group of its own, and stopping it kills the whole group.
void killGroup(qint64 groupId)
{
    if (groupId > 0) {
        ::kill(-pid_t(groupId), SIGKILL);
    }
}

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

ProcessPdftk::ProcessPdftk() : m_program(locatePdftk()) {}

ProcessPdftk::ProcessPdftk(QString program) : m_program(std::move(program)) {}

ProcessPdftk::~ProcessPdftk() = default;

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
        result.errorText = QStringLiteral("The conversion was stopped.");
        return result;
    }
    if (m_program.isEmpty()) {
        result.errorText = QStringLiteral("pdftk was not found.");
        return result;
    }

    QProcess process;
    process.setProgram(m_program);
    process.setArguments(arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // update_info_utf8 and non-ASCII file names need a UTF-8 locale in the Java runtime.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setChildProcessModifier([] {
        ::setpgid(0, 0);
        // Should this program die, the tool goes with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });

    QEventLoop loop;
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
            loop.exec();
        } else {
            process.waitForFinished(-1);
        }
    }
    m_running = outerRunning;
    m_loop = outerLoop;

    // The wait also ends when abort() is called or the application quits (which ends every nested loop);
    // the child must not outlive it.
    bool stopped = m_aborted;
    if (process.state() != QProcess::NotRunning) {
        killGroup(group);
        process.kill();
        process.waitForFinished(-1);
        stopped = true;
    }

    result.started = process.error() != QProcess::FailedToStart;
    if (!result.started) {
        result.errorText = process.errorString();
        return result;
    }
    result.aborted = stopped;
    result.crashed = !stopped && process.exitStatus() == QProcess::CrashExit;
    if (result.aborted || result.crashed) {
        killGroup(group); // whatever the script had started when it was killed
    }
    result.exitCode = process.exitCode();
    result.errorText = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return result;
}

void ProcessPdftk::abort()
{
    m_aborted = true;
    if (m_running) {
        killGroup(m_running->processId());
        m_running->kill();
    }
    if (m_loop) {
        m_loop->quit();
    }
}
