#include "imagereader/ImageReader.h"

#include "imagereader/ReaderHelper.h"
#include "imagereader/ReaderLog.h"
#include "imagereader/format/PageBitmap.h"
#include "platform/EventWait.h"
#include "platform/PosixFile.h"

#include <QCoreApplication>
#include <QTimer>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

using imagereader::Status;

ImageReader::ImageReader(QObject* parent) : QObject(parent), m_helper(new ReaderHelper(this)), m_timer(new QTimer(this))
{
    qRegisterMetaType<ReaderOutcome>();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ImageReader::onTimeout);
    connect(m_helper, &ReaderHelper::readable, this, &ImageReader::onSocketReadable);
    connect(m_helper, &ReaderHelper::ended, this, &ImageReader::onHelperEnded);
    connect(m_helper, &ReaderHelper::closedWithoutEnding, this, [this] {
        if (m_busy) {
            fail(QCoreApplication::translate("ImageReader", "it closed its connection"));
        }
    });
}

ImageReader::~ImageReader()
{
    m_helper->setKeepRunning(true); // waited for: nothing is left behind
    killHelper();
    closeRequestFiles();
}

void ImageReader::setKeepRunning(bool keep)
{
    m_helper->setKeepRunning(keep);
}

qint64 ImageReader::processId() const
{
    return m_helper->processId();
}

bool ImageReader::ensureRunning(QString* error)
{
    if (m_helper->isRunning()) {
        return true;
    }
    killHelper();
    return m_helper->start(error);
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
    } else if (m_helper->checkIdle()) {
        // An idle helper that has closed its connection is let go, blaming no image; one that sent something
        // meanwhile is ended.
        onSocketReadable();
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
        if (imagereader::sendRequest(m_helper->socket(), m_request, m_requestInput, m_requestOutput)) {
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
    const imagereader::Received received = imagereader::receiveReply(m_helper->socket(), &reply);
    if (received == imagereader::Received::NothingYet) {
        return;
    }
    if (received == imagereader::Received::Closed) {
        m_helper->stopReading();
        if (m_busy && m_helper->hasProcess()) {
            // A helper that ends closes its socket on the way out, and onHelperEnded() tells how it ended; one
            // that closes it and lives on has gone wrong. The window does not wait for either.
            m_helper->awaitEnd();
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
    if (!m_helper->keepRunning() ||
        reply.cpuSeconds > imagereader::kCpuLimitSeconds - imagereader::kCpuReserveSeconds) {
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

void ImageReader::onHelperEnded(const HelperEnd& end)
{
    const bool wasBusy = m_busy;
    killHelper();
    ReaderOutcome outcome;
    outcome.kind = end.kind;
    outcome.detail = end.detail;
    outcome.timeoutSeconds = int(m_timeout.count());
    // Our helper ends of its own accord, with 0, only when it has nothing to do: one that does so while a request
    // runs was on its way out when the request was sent, and never took it. A fresh one does; no image is blamed.
    if (wasBusy && end.exitedWithZero && !m_resent) {
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
    m_helper->kill();
}
