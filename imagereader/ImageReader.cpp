#include "imagereader/ImageReader.h"

#include "helperprocess/HelperProcess.h"
#include "helperprocess/HelperProgram.h"
#include "imagereader/ReaderLog.h"
#include "imagereader/format/PageBitmap.h"
#include "platform/EventWait.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using imagereader::Status;

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

QString kindOfSpecialFile(mode_t mode)
{
    if (S_ISFIFO(mode)) {
        return QCoreApplication::translate("ImageReader", "a FIFO (named pipe)");
    }
    if (S_ISSOCK(mode)) {
        return QCoreApplication::translate("ImageReader", "a socket");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return QCoreApplication::translate("ImageReader", "a device");
    }
    return QCoreApplication::translate("ImageReader", "not a regular file");
}

// For the diagnostics: how a request ended, in a word.
const char* kindName(ReaderOutcome::Kind kind)
{
    switch (kind) {
    case ReaderOutcome::Kind::Replied:
        return "replied";
    case ReaderOutcome::Kind::Crashed:
        return "crashed";
    case ReaderOutcome::Kind::TimedOut:
        return "timed out";
    case ReaderOutcome::Kind::CpuLimit:
        return "used up its processor time";
    case ReaderOutcome::Kind::NotStarted:
        return "not started";
    case ReaderOutcome::Kind::Cancelled:
        return "cancelled";
    case ReaderOutcome::Kind::Failed:
        return "failed";
    case ReaderOutcome::Kind::Killed:
        return "killed from outside";
    }
    return "?";
}

} // namespace

QString describeReadFailure(const QString& imagePath, const ReaderOutcome& outcome)
{
    const QString cannot = QCoreApplication::translate("ImageReader", "The image \"%1\" could not be read: %2.");
    const QString detail = QString::fromUtf8(outcome.reply.detail);
    switch (outcome.kind) {
    case ReaderOutcome::Kind::Replied:
        break;
    case ReaderOutcome::Kind::Crashed:
        return cannot.arg(imagePath, QCoreApplication::translate(
                                         "ImageReader", "the image is damaged (the reader stopped unexpectedly)"));
    case ReaderOutcome::Kind::TimedOut:
        return cannot.arg(imagePath,
                          QCoreApplication::translate("ImageReader", "reading the image took longer than %1 s")
                              .arg(outcome.timeoutSeconds));
    case ReaderOutcome::Kind::CpuLimit:
        return cannot.arg(imagePath, QCoreApplication::translate(
                                         "ImageReader", "reading the image used more processor time than this program "
                                                        "allows (%1 s)")
                                         .arg(imagereader::kCpuReserveSeconds));
    case ReaderOutcome::Kind::NotStarted:
        return cannot.arg(imagePath,
                          QCoreApplication::translate("ImageReader", "the image reader could not be started (%1)")
                              .arg(outcome.detail));
    case ReaderOutcome::Kind::Cancelled:
        return cannot.arg(imagePath, QCoreApplication::translate("ImageReader", "reading was stopped"));
    case ReaderOutcome::Kind::Failed:
        return cannot.arg(
            imagePath, QCoreApplication::translate("ImageReader", "the image reader failed (%1)").arg(outcome.detail));
    case ReaderOutcome::Kind::Killed:
        return cannot.arg(imagePath, QCoreApplication::translate(
                                         "ImageReader", "the image reader was ended from outside this program (%1)")
                                         .arg(outcome.detail));
    }
    switch (outcome.reply.status) {
    case Status::Ok:
        return {};
    case Status::NotAnImage:
        if (!detail.isEmpty()) {
            return QCoreApplication::translate("ImageReader", "\"%1\" is not an image this program can read: %2.")
                .arg(imagePath, detail);
        }
        return QCoreApplication::translate("ImageReader", "\"%1\" is not an image this program can read.")
            .arg(imagePath);
    case Status::Damaged: {
        QString text = QCoreApplication::translate(
                           "ImageReader", "\"%1\" is not an image this program can read: its %2 data is damaged or "
                                          "incomplete")
                           .arg(imagePath, QString::fromLatin1(outcome.reply.format));
        if (!detail.isEmpty()) {
            text += QStringLiteral(" (%1)").arg(detail);
        }
        return text + QLatin1Char('.');
    }
    case Status::TooLarge:
        return cannot.arg(imagePath, detail);
    case Status::NoMemory:
        return cannot.arg(imagePath, QCoreApplication::translate(
                                         "ImageReader", "it needs more memory than this program gives one image"));
    case Status::WriteFailed:
        return cannot.arg(imagePath, QCoreApplication::translate("ImageReader", "its picture could not be written (%1)")
                                         .arg(errnoText(outcome.reply.error)));
    case Status::BadRequest:
        break;
    }
    return cannot.arg(imagePath,
                      QCoreApplication::translate("ImageReader", "the image reader did not understand the request"));
}

int openImageFile(const QString& imagePath, const QByteArray& name, QString* error)
{
    const auto fail = [&](const QString& text) {
        if (error != nullptr) {
            *error = text;
        }
        return -1;
    };
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0) {
        const int cause = errno;
        if (cause == ENOENT || cause == ENOTDIR) {
            return fail(QCoreApplication::translate(
                            "ImageReader", "\"%1\" cannot be opened: it is not there any more (moved, renamed or "
                                           "deleted after it was added to the list).")
                            .arg(imagePath));
        }
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" cannot be opened: %2.")
                        .arg(imagePath, errnoText(cause)));
    }
    if (S_ISDIR(info.st_mode)) {
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" is a folder, not an image.").arg(imagePath));
    }
    // Opening a FIFO waits for a writer, and opening a device can do anything: such files are not opened at all.
    const auto special = [&](mode_t mode) {
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" is not an image file: it is %2.")
                        .arg(imagePath, kindOfSpecialFile(mode)));
    };
    if (!S_ISREG(info.st_mode)) {
        return special(info.st_mode);
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" cannot be opened: %2.")
                        .arg(imagePath, errnoText(errno)));
    }
    // It may have been replaced between the look and the open.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return special(info.st_mode);
    }
    if (info.st_size == 0) {
        ::close(fd);
        return fail(QCoreApplication::translate("ImageReader", "\"%1\" is empty.").arg(imagePath));
    }
    return fd;
}

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

ImageReader::ImageReader(QObject* parent) : QObject(parent), m_timer(new QTimer(this)), m_ending(new QTimer(this))
{
    qRegisterMetaType<ReaderOutcome>();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ImageReader::onTimeout);
    m_ending->setSingleShot(true);
    m_ending->setInterval(kEndingGraceMs);
    connect(m_ending, &QTimer::timeout, this, [this] {
        if (m_busy) {
            fail(QCoreApplication::translate("ImageReader", "it closed its connection"));
        }
    });
}

ImageReader::~ImageReader()
{
    m_keepRunning = true; // waited for: nothing is left behind
    killHelper();
    closeRequestFiles();
}

qint64 ImageReader::processId() const
{
    return m_helper ? m_helper->processId() : 0;
}

int ImageReader::socket() const
{
    return m_helper ? m_helper->socket() : -1;
}

bool ImageReader::ensureRunning(QString* error)
{
    // Still starting counts: its start is told through the event loop, which may not have run since.
    if (m_helper && m_helper->isRunning() && m_helper->socket() >= 0) {
        return true;
    }
    killHelper();
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
    m_helper = std::make_unique<HelperProcess>();
    // Not waited for: the request waits in the socket until the helper reads it. One that cannot be started at all
    // is false here; one that fails on the way ends, saying so.
    if (!m_helper->start(setup, error)) {
        m_helper.reset();
        return false;
    }
    HelperProcess* const helper = m_helper.get();
    const auto keepErrorOutput = [this, helper] {
        m_errorOutput += helper->readErrorOutput();
        m_errorOutput += helper->readOutput();
        if (m_errorOutput.size() > kErrorOutputKept) {
            m_errorOutput = m_errorOutput.right(kErrorOutputKept);
        }
    };
    connect(helper, &HelperProcess::errorOutputReady, this, keepErrorOutput);
    connect(helper, &HelperProcess::outputReady, this, keepErrorOutput);
    connect(helper, &HelperProcess::ended, this, [this, helper] {
        if (helper->ending().failedToStart) {
            onStartFailed();
        } else {
            onProcessFinished();
        }
    });
    qCDebug(lcReader) << "started" << program << "as process" << m_helper->processId();
    m_notifier = std::make_unique<QSocketNotifier>(m_helper->socket(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ImageReader::onSocketReadable);
    return true;
}

bool ImageReader::prepare(QString* error)
{
    return ensureRunning(error);
}

bool ImageReader::start(const imagereader::Request& request, int inputFd, int outputFd, QString* error)
{
    QString reason;
    ReaderOutcome::Kind kind = ReaderOutcome::Kind::NotStarted;
    if (m_busy) {
        reason = QCoreApplication::translate("ImageReader", "it is still reading another image");
    } else {
        checkIdleHelper();
    }
    if (!m_busy && !m_unasked.isEmpty()) {
        // Said until read() or takeUnaskedReply() hands it out.
        kind = ReaderOutcome::Kind::Failed;
        reason = m_unasked;
    } else if (!m_busy) {
        closeRequestFiles();
        m_requestInput = ::fcntl(inputFd, F_DUPFD_CLOEXEC, 0);
        m_requestOutput = ::fcntl(outputFd, F_DUPFD_CLOEXEC, 0);
        const std::uint32_t number = m_request.number + 1 == 0 ? 1 : m_request.number + 1;
        m_request = request;
        m_request.number = number;
        m_resent = false;
        if (m_requestInput < 0 || m_requestOutput < 0) {
            reason = errnoText(errno);
        } else if (sendRunningRequest(&reason)) {
            m_busy = true;
            m_timer->start(m_timeout);
            return true;
        }
        closeRequestFiles();
    }
    m_last = ReaderOutcome();
    m_last.kind = kind;
    m_last.detail = reason;
    m_last.timeoutSeconds = int(m_timeout.count());
    m_lastTaken = false;
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

bool ImageReader::sendRunningRequest(QString* error)
{
    // A helper that died while idle is noticed only here; one fresh start is worth a try.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureRunning(error)) {
            return false;
        }
        if (imagereader::sendRequest(socket(), m_request, m_requestInput, m_requestOutput)) {
            qCDebug(lcReader) << "request" << m_request.number
                              << (m_request.mode == imagereader::Mode::Page ? "page" : "preview") << "of"
                              << QString::fromUtf8(m_request.fileName) << "to process" << processId();
            return true;
        }
        *error = errnoText(errno);
        killHelper();
    }
    return false;
}

void ImageReader::checkIdleHelper()
{
    if (!m_helper || socket() < 0) {
        return;
    }
    pollfd readable{socket(), POLLIN, 0};
    if (::poll(&readable, 1, 0) == 1 && readable.revents != 0) {
        onSocketReadable(); // a closed connection lets it go; anything sent is a reply nobody asked for
        return;
    }
    siginfo_t ended = {};
    if (::waitid(P_PID, id_t(processId()), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid != 0) {
        killHelper();
    }
}

void ImageReader::closeRequestFiles()
{
    for (int* fd : {&m_requestInput, &m_requestOutput}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

ReaderOutcome ImageReader::read(const imagereader::Request& request, int inputFd, int outputFd)
{
    if (!start(request, inputFd, outputFd, nullptr)) {
        m_unasked.clear();
        m_lastTaken = true;
        return m_last;
    }
    return wait();
}

ReaderOutcome ImageReader::wait()
{
    if (m_busy) {
        m_last = ReaderOutcome();
        m_last.kind = ReaderOutcome::Kind::Cancelled;
        m_last.timeoutSeconds = int(m_timeout.count());
        EventWait waiting;
        m_waiting = &waiting;
        (void)waiting.run();
        m_waiting = nullptr;
        if (m_busy) {
            // The loop ended without an answer: the application is quitting.
            cancel();
        }
    }
    m_lastTaken = true;
    return m_last;
}

std::optional<ReaderOutcome> ImageReader::takeUnaskedReply()
{
    if (m_unasked.isEmpty()) {
        return std::nullopt;
    }
    ReaderOutcome outcome;
    outcome.kind = ReaderOutcome::Kind::Failed;
    outcome.detail = m_unasked;
    outcome.timeoutSeconds = int(m_timeout.count());
    m_unasked.clear();
    return outcome;
}

void ImageReader::cancel()
{
    const bool wasBusy = m_busy;
    killHelper();
    closeRequestFiles();
    if (wasBusy) {
        m_last = ReaderOutcome();
        m_last.kind = ReaderOutcome::Kind::Cancelled;
        if (m_waiting != nullptr) {
            m_waiting->interrupt();
        }
    }
}

void ImageReader::onSocketReadable()
{
    imagereader::Reply reply;
    const imagereader::Received received = imagereader::receiveReply(socket(), &reply);
    if (received == imagereader::Received::NothingYet) {
        return;
    }
    if (received == imagereader::Received::Closed) {
        m_notifier->setEnabled(false);
        if (m_busy && m_helper) {
            // A helper that ends closes its socket on the way out, and onProcessFinished() tells how it ended; one
            // that closes it and lives on has gone wrong. The window does not wait for either.
            m_ending->start();
            return;
        }
        killHelper();
        return;
    }
    if (!m_busy) {
        onUnaskedReply();
        return;
    }
    if (received == imagereader::Received::Malformed) {
        fail(QCoreApplication::translate("ImageReader", "it sent a reply this program does not understand"));
        return;
    }
    if (reply.number != m_request.number) {
        fail(QCoreApplication::translate("ImageReader", "it answered another request"));
        return;
    }
    if (reply.status == Status::Ok && !announcedSizeFits(reply)) {
        fail(QCoreApplication::translate("ImageReader",
                                         "it announced a picture of %1 × %2 pixels, beyond its own limits")
                 .arg(reply.width)
                 .arg(reply.height));
        return;
    }
    ReaderOutcome outcome;
    outcome.kind = ReaderOutcome::Kind::Replied;
    outcome.reply = reply;
    outcome.timeoutSeconds = int(m_timeout.count());
    if (!m_keepRunning || reply.cpuSeconds > imagereader::kCpuLimitSeconds - imagereader::kCpuReserveSeconds) {
        killHelper();
    }
    finish(outcome);
}

void ImageReader::onUnaskedReply()
{
    killHelper();
    const QString how = QCoreApplication::translate("ImageReader", "it sent a reply this program did not ask for");
    if (!m_lastTaken && m_last.kind == ReaderOutcome::Kind::Replied) {
        // The reply it follows is not used yet: it fails with the helper.
        m_last = ReaderOutcome();
        m_last.kind = ReaderOutcome::Kind::Failed;
        m_last.detail = how;
        m_last.timeoutSeconds = int(m_timeout.count());
    } else {
        m_unasked = how;
    }
}

bool ImageReader::announcedSizeFits(const imagereader::Reply& reply) const
{
    if (m_request.mode == imagereader::Mode::Preview) {
        return reply.width >= 1 && reply.height >= 1 && std::uint32_t(reply.width) <= m_request.maxWidth &&
               std::uint32_t(reply.height) <= m_request.maxHeight;
    }
    return pagebitmap::withinLimits(reply.width, reply.height);
}

void ImageReader::fail(const QString& how)
{
    finish(distrust(how));
}

ReaderOutcome ImageReader::distrust(const QString& how)
{
    killHelper();
    m_last = ReaderOutcome();
    m_last.kind = ReaderOutcome::Kind::Failed;
    m_last.detail = how;
    m_last.timeoutSeconds = int(m_timeout.count());
    return m_last;
}

void ImageReader::onProcessFinished()
{
    if (!m_helper) {
        return;
    }
    const bool wasBusy = m_busy;
    ReaderOutcome outcome;
    outcome.timeoutSeconds = int(m_timeout.count());
    const HelperEnding ending = m_helper->ending();
    const bool signalled = ending.signal != 0;
    const int signal = ending.signal;
    outcome.kind = ReaderOutcome::Kind::Crashed;
    outcome.detail = QString::fromLocal8Bit(m_errorOutput).trimmed();
    if (signalled && signal == SIGXCPU) {
        outcome.kind = ReaderOutcome::Kind::CpuLimit;
    } else if (signalled && isSignalFromOutside(signal)) {
        outcome.kind = ReaderOutcome::Kind::Killed;
        outcome.detail = QString::fromLocal8Bit(::strsignal(signal));
    }
    // Our helper ends of its own accord, with 0, only when it has nothing to do: one that does so while a request
    // runs was on its way out when the request was sent, and never took it. A fresh one does; no image is blamed.
    const bool leftBeforeTheRequest = wasBusy && ending.exitCode == 0 && !m_resent;
    releaseHelper();
    killHelper();
    if (leftBeforeTheRequest) {
        m_resent = true;
        QString error;
        if (sendRunningRequest(&error)) {
            m_busy = true;
            m_timer->start(m_timeout);
            return;
        }
        outcome.kind = ReaderOutcome::Kind::NotStarted;
        outcome.detail = error;
    }
    if (wasBusy) {
        finish(outcome);
    }
}

void ImageReader::onTimeout()
{
    if (!m_busy) {
        return;
    }
    killHelper();
    ReaderOutcome outcome;
    outcome.kind = ReaderOutcome::Kind::TimedOut;
    outcome.timeoutSeconds = int(m_timeout.count());
    finish(outcome);
}

void ImageReader::finish(ReaderOutcome outcome)
{
    m_busy = false;
    m_timer->stop();
    m_ending->stop();
    closeRequestFiles();
    m_last = outcome;
    m_lastTaken = false;
    qCDebug(lcReader) << "request" << m_request.number << kindName(outcome.kind) << "with status"
                      << int(outcome.reply.status) << outcome.reply.width << "x" << outcome.reply.height
                      << outcome.detail;
    if (m_waiting != nullptr) {
        m_waiting->done();
    }
    Q_EMIT finished(outcome);
}

void ImageReader::killHelper()
{
    m_busy = false;
    m_timer->stop();
    m_ending->stop();
    m_notifier.reset();
    if (m_helper) {
        m_helper->disconnect(this);
        m_helper->kill();
        if (m_keepRunning || !m_helper->isRunning()) {
            // The run's helper: gone when its run is, so nothing of it outlives the run.
            m_helper->end();
            m_helper.reset();
        } else {
            // The preview's: the window never waits for it; it is reaped when it has died.
            // Owned by this reader meanwhile, so that it is gone with the reader at the latest.
            HelperProcess* dying = m_helper.release();
            dying->setParent(this);
            connect(dying, &HelperProcess::ended, dying, &QObject::deleteLater);
        }
    }
    m_errorOutput.clear();
}

void ImageReader::releaseHelper()
{
    m_notifier.reset();
    m_helper->disconnect(this);
    m_helper->kill(); // closes this end of its socket; the helper itself has ended
    HelperProcess* released = m_helper.release();
    released->setParent(this);
    released->deleteLater();
}

void ImageReader::onStartFailed()
{
    ReaderOutcome outcome;
    outcome.kind = ReaderOutcome::Kind::NotStarted;
    outcome.timeoutSeconds = int(m_timeout.count());
    outcome.detail = m_helper ? m_helper->ending().whyNotStarted : QString();
    const bool wasBusy = m_busy;
    if (m_helper) {
        releaseHelper();
    }
    killHelper();
    if (wasBusy) {
        finish(outcome);
    }
}
