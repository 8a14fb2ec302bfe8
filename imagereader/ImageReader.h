#pragma once

#include "imagereader/ReaderOutcome.h"
#include "imagereader/format/ReaderProtocol.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <chrono>
#include <optional>

class EventWait;
struct HelperEnd;
class ReaderHelper;
class QTimer;

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
    void setKeepRunning(bool keep);

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
    void onHelperEnded(const HelperEnd& end);
    void onTimeout();
    // Sends the running request (again) to the helper, starting one if none runs; false (and *error) on failure.
    bool sendRunningRequest(QString* error);
    // A reply (or anything) when no request runs: the helper is ended, and the outcome not yet taken, or else the
    // next request, says so.
    void onUnaskedReply();
    void closeRequestFiles();
    void finish(ReaderOutcome outcome);
    void fail(const QString& how);
    void killHelper();
    [[nodiscard]] bool announcedSizeFits(const imagereader::Reply& reply) const;

    std::chrono::seconds m_timeout{imagereader::kDefaultTimeoutSeconds};
    ReaderHelper* m_helper = nullptr;
    QTimer* m_timer = nullptr;
    EventWait* m_waiting = nullptr;
    ReaderOutcome m_last;
    bool m_lastTaken = true;        // wait() or read() has handed m_last out
    QString m_unasked;              // why the helper was ended after m_last was taken: a reply nobody asked for
    int m_requestInput = -1;        // the running request's files, kept to send it again to a fresh helper should the
    int m_requestOutput = -1;       // ... one it went to end without taking it
    bool m_resent = false;          // the running request went to a second helper already
    imagereader::Request m_request; // the one running or last sent, with its number (counted up from 1)
    bool m_busy = false;
};
