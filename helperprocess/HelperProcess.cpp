#include "helperprocess/HelperProcess.h"

#include "platform/EventWait.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QProcess>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Runs between fork and exec, so only what may run there.
void enterHelperSession(int socket, int descriptor, bool lowPriority)
{
    ::setsid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (socket >= 0) {
        if (socket == descriptor) {
            ::fcntl(socket, F_SETFD, 0);
        } else {
            ::dup2(socket, descriptor);
        }
    }
    if (lowPriority) {
        [[maybe_unused]] const int niceness = ::nice(10);
    }
}

} // namespace

HelperProcess::HelperProcess(QObject* parent) : QObject(parent), m_process(std::make_unique<QProcess>())
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_deadlinePassed = true;
        kill();
    });
    connect(m_process.get(), &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        // After a signal, QProcess gives the signal's number as the exit code.
        const bool signalled = status == QProcess::CrashExit;
        m_ending.exitCode = signalled ? -1 : exitCode;
        m_ending.signal = signalled ? exitCode : 0;
        m_deadline.stop();
        Q_EMIT ended();
    });
    connect(m_process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            m_ending.failedToStart = true;
            m_ending.whyNotStarted = m_process->errorString();
            m_deadline.stop();
            Q_EMIT ended();
        }
    });
    connect(m_process.get(), &QProcess::readyReadStandardOutput, this, &HelperProcess::outputReady);
    connect(m_process.get(), &QProcess::readyReadStandardError, this, &HelperProcess::errorOutputReady);
}

HelperProcess::~HelperProcess()
{
    m_process->disconnect(this);
    end();
}

bool HelperProcess::start(const HelperSetup& setup, QString* error)
{
    const auto notStarted = [this, error](const QString& why) {
        m_ending.failedToStart = true;
        m_ending.whyNotStarted = why;
        *error = why;
        return false;
    };
    int pair[2] = {-1, -1};
    if (setup.socketDescriptor >= 0 && ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        return notStarted(errnoText(errno));
    }
    m_process->setProgram(setup.program);
    m_process->setArguments(setup.arguments);
    if (!setup.environment.isEmpty()) {
        m_process->setEnvironment(setup.environment);
    }
    m_process->setStandardInputFile(QProcess::nullDevice());
    if (setup.discardOutput) {
        m_process->setStandardOutputFile(QProcess::nullDevice());
    }
    if (setup.discardErrors) {
        m_process->setStandardErrorFile(QProcess::nullDevice());
    }
    const int childEnd = pair[1];
    m_process->setChildProcessModifier(
        [childEnd, descriptor = setup.socketDescriptor, lowPriority = setup.lowPriority] {
            enterHelperSession(childEnd, descriptor, lowPriority);
        });
    m_process->start();
    if (childEnd >= 0) {
        ::close(childEnd);
    }
    if (m_process->state() == QProcess::NotRunning) {
        if (pair[0] >= 0) {
            ::close(pair[0]);
        }
        return notStarted(m_process->errorString());
    }
    m_group = m_process->processId();
    m_socket = pair[0];
    return true;
}

qint64 HelperProcess::processId() const
{
    return m_process->processId();
}

bool HelperProcess::isRunning() const
{
    return m_process->state() != QProcess::NotRunning;
}

QByteArray HelperProcess::readOutput()
{
    return m_process->readAllStandardOutput();
}

QByteArray HelperProcess::readErrorOutput()
{
    return m_process->readAllStandardError();
}

void HelperProcess::setDeadline(std::chrono::milliseconds limit)
{
    m_until = QDeadlineTimer(limit);
    if (QCoreApplication::instance() != nullptr) {
        m_deadline.start(limit);
    }
}

bool HelperProcess::waitForEnd()
{
    if (!isRunning()) {
        return true;
    }
    if (QCoreApplication::instance() == nullptr) {
        const bool ended = m_process->waitForFinished(m_until.isForever() ? -1 : int(m_until.remainingTime()));
        if (!ended && isRunning()) {
            m_deadlinePassed = true;
            end();
        }
        return true;
    }
    EventWait wait;
    wait.endOn(this, &HelperProcess::ended);
    return wait.run() == EventWait::End::Done || !isRunning();
}

void HelperProcess::kill()
{
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
    if (m_group > 0) {
        ::kill(-pid_t(m_group), SIGKILL);
    }
    if (isRunning()) {
        m_process->kill();
    } else {
        // The helper was reaped and what it left is killed: its number may go to another process now.
        m_group = 0;
    }
}

void HelperProcess::end()
{
    m_deadline.stop();
    kill();
    if (isRunning()) {
        m_process->waitForFinished(-1);
    }
}
