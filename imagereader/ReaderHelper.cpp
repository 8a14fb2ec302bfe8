#include "imagereader/ReaderHelper.h"

#include "helperprocess/HelperProcess.h"
#include "helperprocess/HelperProgram.h"
#include "imagereader/ReaderLog.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstring>

#include <poll.h>
#include <sys/wait.h>

namespace {

const QString kHelperName = QStringLiteral("pagewell-imagereader");
constexpr qsizetype kErrorOutputKept = 4096;
constexpr int kEndingGraceMs = 200; // for a helper that has closed its socket to be seen ending

QString& programOverride()
{
    static QString program;
    return program;
}

// Signals that only come from outside: the helper never sends them to itself, and its limits send others.
bool isSignalFromOutside(int signal)
{
    return signal == SIGKILL || signal == SIGTERM || signal == SIGINT || signal == SIGHUP || signal == SIGQUIT;
}

} // namespace

void overrideImageReaderProgram(const QString& program)
{
    programOverride() = program;
}

QString locateImageReader()
{
    if (!programOverride().isEmpty()) {
        return programOverride();
    }
    return locateHelperProgram(kHelperName);
}

ReaderHelper::ReaderHelper(QObject* parent) : QObject(parent), m_ending(new QTimer(this))
{
    m_ending->setSingleShot(true);
    m_ending->setInterval(kEndingGraceMs);
    connect(m_ending, &QTimer::timeout, this, &ReaderHelper::closedWithoutEnding);
}

ReaderHelper::~ReaderHelper()
{
    m_keepRunning = true; // waited for: nothing is left behind
    kill();
}

bool ReaderHelper::isRunning() const
{
    return m_process && m_process->isRunning() && m_process->socket() >= 0;
}

int ReaderHelper::socket() const
{
    return m_process ? m_process->socket() : -1;
}

qint64 ReaderHelper::processId() const
{
    return m_process ? m_process->processId() : 0;
}

bool ReaderHelper::start(QString* error)
{
    const QString program = locateImageReader();
    if (program.isEmpty()) {
        *error =
            QCoreApplication::translate("ImageReader", "%1 was not found beside the program or where it is installed")
                .arg(kHelperName);
        return false;
    }
    HelperSetup setup;
    setup.program = program;
    setup.arguments = {QStringLiteral("--serve")};
    setup.socketDescriptor = imagereader::kSocketDescriptor;
    m_process = std::make_unique<HelperProcess>();
    // Not waited for: the request waits in the socket until the helper reads it. One that cannot be started at all
    // is false here; one that fails on the way ends, saying so.
    if (!m_process->start(setup, error)) {
        m_process.reset();
        return false;
    }
    HelperProcess* const process = m_process.get();
    const auto keepErrorOutput = [this, process] {
        m_errorOutput += process->readErrorOutput();
        m_errorOutput += process->readOutput();
        if (m_errorOutput.size() > kErrorOutputKept) {
            m_errorOutput = m_errorOutput.right(kErrorOutputKept);
        }
    };
    connect(process, &HelperProcess::errorOutputReady, this, keepErrorOutput);
    connect(process, &HelperProcess::outputReady, this, keepErrorOutput);
    connect(process, &HelperProcess::ended, this, &ReaderHelper::onProcessEnded);
    qCDebug(lcReader) << "started" << program << "as process" << m_process->processId();
    m_notifier = std::make_unique<QSocketNotifier>(m_process->socket(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ReaderHelper::readable);
    return true;
}

bool ReaderHelper::checkIdle()
{
    if (!m_process || socket() < 0) {
        return false;
    }
    pollfd watched{socket(), POLLIN, 0};
    if (::poll(&watched, 1, 0) == 1 && watched.revents != 0) {
        return true;
    }
    siginfo_t ended = {};
    if (::waitid(P_PID, id_t(processId()), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid != 0) {
        kill();
    }
    return false;
}

void ReaderHelper::stopReading()
{
    m_notifier->setEnabled(false);
}

void ReaderHelper::awaitEnd()
{
    m_ending->start();
}

void ReaderHelper::onProcessEnded()
{
    if (!m_process) {
        return;
    }
    const HelperEnding ending = m_process->ending();
    HelperEnd end;
    if (ending.failedToStart) {
        end.kind = ReaderOutcome::Kind::NotStarted;
        end.detail = ending.whyNotStarted;
    } else {
        const bool signalled = ending.signal != 0;
        const int signal = ending.signal;
        end.detail = QString::fromLocal8Bit(m_errorOutput).trimmed();
        if (signalled && signal == SIGXCPU) {
            end.kind = ReaderOutcome::Kind::CpuLimit;
        } else if (signalled && isSignalFromOutside(signal)) {
            end.kind = ReaderOutcome::Kind::Killed;
            end.detail = QString::fromLocal8Bit(::strsignal(signal));
        }
        end.exitedWithZero = ending.exitCode == 0;
    }
    release();
    kill();
    Q_EMIT ended(end);
}

void ReaderHelper::kill()
{
    m_ending->stop();
    m_notifier.reset();
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        if (m_keepRunning || !m_process->isRunning()) {
            // The run's helper: gone when its run is, so nothing of it outlives the run.
            m_process->end();
            m_process.reset();
        } else {
            // The preview's: the window never waits for it; it is reaped when it has died.
            // Owned by this meanwhile, so that it is gone with the reader at the latest.
            HelperProcess* dying = m_process.release();
            dying->setParent(this);
            connect(dying, &HelperProcess::ended, dying, &QObject::deleteLater);
        }
    }
    m_errorOutput.clear();
}

void ReaderHelper::release()
{
    m_notifier.reset();
    m_process->disconnect(this);
    m_process->kill(); // closes this end of its socket; the helper itself has ended
    HelperProcess* released = m_process.release();
    released->setParent(this);
    released->deleteLater();
}
