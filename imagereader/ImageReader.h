#pragma once

#include "imagereader/format/ReaderProtocol.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class EventWait;
class HelperProcess;
class QSocketNotifier;
class QTimer;

// How one request to the image-reading helper ended.
struct ReaderOutcome
{
    enum class Kind
    {
        Replied,    // the helper answered: see reply
        Crashed,    // it died (a signal, or an exit) before answering
        TimedOut,   // it took longer than the timeout and was killed
        CpuLimit,   // it used up its processor time
        NotStarted, // it could not be started (detail says why)
        Cancelled,  // we stopped it
        Failed,     // it broke the protocol or its output is not what it announced (detail says how); it was ended
        Killed,     // something outside this program ended it with a signal (detail names the signal)
    };
    Kind kind = Kind::NotStarted;
    imagereader::Reply reply;
    QString detail;
    int timeoutSeconds = imagereader::kDefaultTimeoutSeconds;

    [[nodiscard]] bool ok() const { return kind == Kind::Replied && reply.status == imagereader::Status::Ok; }
};

// A sentence for the user that names the image and says in plain words why it could not be read. Not for
// Status::WriteFailed, whose words depend on what was being written.
[[nodiscard]] QString describeReadFailure(const QString& imagePath, const ReaderOutcome& outcome);

// Opens a user's image for the helper without ever blocking: a FIFO, socket or device is refused, not opened.
// `native` is its name as the file system holds it, `shown` as messages name it. Returns the descriptor
// (close-on-exec), or -1 with a sentence that names the file in *error.
[[nodiscard]] int openImageFile(const QString& shown, const QByteArray& native, QString* error);

// The helper program, where locateHelperProgram() finds it (or the one given to overrideImageReaderProgram());
// empty when none is found.
[[nodiscard]] QString locateImageReader();

// Makes every ImageReader of this process start `program` instead of the one locateImageReader() finds; empty
// goes back to that one. For tests that need a reader which misbehaves on purpose.
void overrideImageReaderProgram(const QString& program);

// One helper process, started on the first request and kept for the next ones, started afresh after it crashed,
// hung or used up its processor time. One request at a time. Stopping it (or destroying this) kills it; it also
// dies with the program.
class ImageReader final : public QObject
{
    Q_OBJECT
public:
    explicit ImageReader(QObject* parent = nullptr);
    ~ImageReader() override;

    void setTimeout(std::chrono::seconds timeout) { m_timeout = timeout; }
    [[nodiscard]] std::chrono::seconds timeout() const { return m_timeout; }
    // Whether the helper stays for the next request (true) or ends after each. One that ends after each is also
    // never waited for when it is killed (the window's thread must not block); it is reaped once dead.
    void setKeepRunning(bool keep) { m_keepRunning = keep; }

    // Starts the helper now, when none runs, so that the first request does not wait for it to start; false (and
    // *error) when it cannot be started. A request starts it anyway.
    bool prepare(QString* error);
    // Sends a request with the image to read and the file to write; the helper gets its own copies of both
    // descriptors. The outcome comes through finished(). False (and *error) when it could not be sent.
    bool start(const imagereader::Request& request, int inputFd, int outputFd, QString* error);
    // start() and then wait().
    [[nodiscard]] ReaderOutcome read(const imagereader::Request& request, int inputFd, int outputFd);
    // The outcome of the last request, waited for in a nested event loop while it runs: the window stays live.
    [[nodiscard]] ReaderOutcome wait();
    // Kills the helper; the running request's finished() never comes (a read() returns Cancelled).
    void cancel();
    // The outcome of a request whose reply was taken but whose output is not what the reply said: the helper is
    // ended (it is not to be trusted with another image), and the outcome says that it failed and how.
    [[nodiscard]] ReaderOutcome distrust(const QString& how);
    // A reply that came when none was asked for, after the outcome it followed was taken: the helper was ended then,
    // and this says so, once (a Failed outcome); nothing when no such reply came. The next start() says it too.
    [[nodiscard]] std::optional<ReaderOutcome> takeUnaskedReply();

    [[nodiscard]] bool isBusy() const { return m_busy; }
    // The running helper's process id, 0 when none runs.
    [[nodiscard]] qint64 processId() const;

Q_SIGNALS:
    void finished(const ReaderOutcome& outcome);

private:
    bool ensureRunning(QString* error);
    void onSocketReadable();
    void onProcessFinished();
    void onTimeout();
    void onStartFailed();
    // Sends the running request (again) to the helper, starting one if none runs; false (and *error) on failure.
    bool sendRunningRequest(QString* error);
    // A reply (or anything) when no request runs: the helper is ended, and the outcome not yet taken, or else the
    // next request, says so.
    void onUnaskedReply();
    // Before a request: an idle helper that has ended or closed its connection is let go, blaming no image; one
    // that sent something meanwhile is ended.
    void checkIdleHelper();
    void closeRequestFiles();
    // Lets go of the helper from inside one of its process's signals: deleted once that is over (or with this
    // reader).
    void releaseHelper();
    [[nodiscard]] int socket() const;
    void finish(ReaderOutcome outcome);
    void fail(const QString& how);
    void killHelper();
    [[nodiscard]] bool announcedSizeFits(const imagereader::Reply& reply) const;

    std::chrono::seconds m_timeout{imagereader::kDefaultTimeoutSeconds};
    bool m_keepRunning = true;
    std::unique_ptr<HelperProcess> m_helper;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer* m_timer = nullptr;
    EventWait* m_waiting = nullptr;
    ReaderOutcome m_last;
    bool m_lastTaken = true;        // wait() or read() has handed m_last out
    QString m_unasked;              // why the helper was ended after m_last was taken: a reply nobody asked for
    int m_requestInput = -1;        // the running request's files, kept to send it again to a fresh helper should the
    int m_requestOutput = -1;       // ... one it went to end without taking it
    bool m_resent = false;          // the running request went to a second helper already
    QTimer* m_ending = nullptr;     // for a helper that closed its connection to be seen ending
    imagereader::Request m_request; // the one running or last sent, with its number (counted up from 1)
    bool m_busy = false;
    QByteArray m_errorOutput; // the end of what the helper wrote to its error output
};

Q_DECLARE_METATYPE(ReaderOutcome)
