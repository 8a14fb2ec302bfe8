#pragma once

#include "imagereader/ReaderOutcome.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class HelperProcess;
class QSocketNotifier;
class QTimer;

// The helper program, where locateHelperProgram() finds it (or the one given to overrideImageReaderProgram());
// empty when none is found.
[[nodiscard]] QString locateImageReader();

// Makes every ImageReader of this process start `program` instead of the one locateImageReader() finds; empty
// goes back to that one. For tests that need a reader which misbehaves on purpose.
void overrideImageReaderProgram(const QString& program);

// How a helper ended, in the words of a request's outcome.
struct HelperEnd
{
    ReaderOutcome::Kind kind = ReaderOutcome::Kind::Crashed;
    QString detail;
    bool exitedWithZero = false;
};

// One image-reading helper process at a time: its start, the socket to it and the notifier on that, the end of its
// error output, the moment given to one that closed its connection to be seen ending, and its end. What travels over
// the socket is ImageReader's business; a killed or ended helper is followed by a fresh one on the next start().
class ReaderHelper final : public QObject
{
    Q_OBJECT
public:
    explicit ReaderHelper(QObject* parent = nullptr);
    ~ReaderHelper() override;

    // Whether a killed helper is waited for (true), or left to die and reaped once dead: the window's thread must
    // not block on a helper that ends after each request.
    void setKeepRunning(bool keep) { m_keepRunning = keep; }
    [[nodiscard]] bool keepRunning() const { return m_keepRunning; }

    // Starts a fresh one (the last one killed first), without waiting for it to run: false (and *error) when it cannot
    // be started at all; one that fails on the way ends, saying so through ended().
    bool start(QString* error);
    // Running, or still starting: its start is told through the event loop, which may not have run since.
    [[nodiscard]] bool isRunning() const;
    [[nodiscard]] bool hasProcess() const { return m_process != nullptr; }
    // -1 when none is there.
    [[nodiscard]] int socket() const;
    // 0 when none runs.
    [[nodiscard]] qint64 processId() const;

    // Before a request: true when the idle helper has something to be read (the caller reads it); one that has ended
    // meanwhile is let go.
    [[nodiscard]] bool checkIdle();
    // Its connection has closed: nothing more is read from it.
    void stopReading();
    // Gives one that closed its connection a moment to be seen ending (ended()) before closedWithoutEnding().
    void awaitEnd();
    // Kills it and forgets its error output.
    void kill();

Q_SIGNALS:
    void readable();
    // It ended, or it failed to start; it has been let go.
    void ended(const HelperEnd& end);
    void closedWithoutEnding();

private:
    void onProcessEnded();
    // Lets go of it from inside one of its process's signals: deleted once that is over (or with this).
    void release();

    bool m_keepRunning = true;
    std::unique_ptr<HelperProcess> m_process;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer* m_ending = nullptr;
    QByteArray m_errorOutput; // the end of what the helper wrote to its error output
};
