#pragma once

#include "imagereader/ReaderProtocol.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <chrono>
#include <memory>

class QEventLoop;
class QProcess;
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
    };
    Kind kind = Kind::NotStarted;
    imagereader::Reply reply;
    QString detail;
    int timeoutSeconds = imagereader::defaultTimeoutSeconds;

    [[nodiscard]] bool ok() const { return kind == Kind::Replied && reply.status == imagereader::Status::Ok; }
};

// A sentence for the user that names the image and says in plain words why it could not be read. Not for
// Status::WriteFailed, whose words depend on what was being written.
[[nodiscard]] QString describeReadFailure(const QString& imagePath, const ReaderOutcome& outcome);

// Opens a user's image for the helper without ever blocking: a FIFO, socket or device is refused, not opened.
// Returns the descriptor (close-on-exec), or -1 with a sentence that names the file in *error.
[[nodiscard]] int openImageFile(const QString& imagePath, QString* error);

// The helper program: beside the running program, or where it is installed; a program running from the build
// folder uses the build folder's. Empty when none is found.
[[nodiscard]] QString locateImageReader();

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
    // Whether the helper stays for the next request (true) or ends after each.
    void setKeepRunning(bool keep) { m_keepRunning = keep; }

    // Sends a request with the image to read and the file to write; the helper gets its own copies of both
    // descriptors. The outcome comes through finished(). False (and *error) when it could not be sent.
    bool start(const imagereader::Request& request, int inputFd, int outputFd, QString* error);
    // start() and then wait for the outcome in a nested event loop: the window stays live meanwhile.
    [[nodiscard]] ReaderOutcome read(const imagereader::Request& request, int inputFd, int outputFd);
    // Kills the helper; the running request's finished() never comes (a read() returns Cancelled).
    void cancel();
    // Ends the helper, waiting for it.
    void stop();

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
    void finish(ReaderOutcome outcome);
    void killHelper();

    std::chrono::seconds m_timeout{imagereader::defaultTimeoutSeconds};
    bool m_keepRunning = true;
    std::unique_ptr<QProcess> m_process;
    int m_socket = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer* m_timer = nullptr;
    QEventLoop* m_waiting = nullptr;
    ReaderOutcome* m_waitResult = nullptr;
    bool m_busy = false;
    QByteArray m_errorOutput; // the end of what the helper wrote to its error output
};

Q_DECLARE_METATYPE(ReaderOutcome)
