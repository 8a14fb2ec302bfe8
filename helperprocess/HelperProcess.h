#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <memory>

class QProcess;

// How a helper program is started.
struct HelperSetup
{
    QString program;
    QStringList arguments;
    QStringList environment;    // NAME=value entries; empty: this program's own
    int socketDescriptor = -1;  // 0 or more: a local socket to the helper, its end as this descriptor
    bool discardOutput = false; // its standard output goes nowhere (otherwise readOutput() reads it)
    bool discardErrors = false; // the same for its error output and readErrorOutput()
    bool lowPriority = false;   // it gives way to the program's own work
};

// How a helper ended; known once ended() has come.
struct HelperEnding
{
    bool failedToStart = false; // it never ran: whyNotStarted says why
    QString whyNotStarted;
    int exitCode = -1; // 0 or more: it exited with this code
    int signal = 0;    // not 0: this signal ended it
};

// One helper program (the image reader, pdftk's host, pdftk itself): every child process of this program is one of
// these. It runs in a session and process group of its own, so that ending it reaches everything it started (pdftk
// is a script that starts a JVM); it dies with this program; it never leaves a core file; its input is empty. The
// group is ended when this object goes, waiting for the helper.
class HelperProcess : public QObject
{
    Q_OBJECT
public:
    explicit HelperProcess(QObject* parent = nullptr);
    ~HelperProcess() override;
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Starts it without waiting for it to run, so that the window's thread never blocks on a start: one that cannot
    // be started at all is false (and *error); one that fails on the way ends, ending() saying why.
    [[nodiscard]] bool start(const HelperSetup& setup, QString* error);
    // This program's end of the socket (close-on-exec), -1 without one or once kill() closed it.
    [[nodiscard]] int socket() const { return m_socket; }
    // 0 when it has not been started or has been reaped.
    [[nodiscard]] qint64 processId() const;
    // Also while its start is under way.
    [[nodiscard]] bool isRunning() const;
    [[nodiscard]] const HelperEnding& ending() const { return m_ending; }

    // What it has written since the last read.
    [[nodiscard]] QByteArray readOutput();
    [[nodiscard]] QByteArray readErrorOutput();

    // Once `limit` has passed from now, kill(): deadlinePassed() says so from then on.
    void setDeadline(std::chrono::milliseconds limit);
    [[nodiscard]] bool deadlinePassed() const { return m_deadlinePassed; }
    // Waits until it has ended (its deadline included), the window staying live; false when the wait was
    // interrupted first (the application is quitting). Without an application object it blocks.
    bool waitForEnd();

    // Closes the socket and kills the whole process group at once, without waiting; also after the helper itself has
    // ended, for whatever it left running.
    void kill();
    // kill(), then waits for the helper to be reaped.
    void end();

Q_SIGNALS:
    // It has ended, or it failed to start: ending() says how.
    void ended();
    // readOutput() and readErrorOutput() have something.
    void outputReady();
    void errorOutputReady();

private:
    std::unique_ptr<QProcess> m_process;
    QTimer m_deadline;                               // ends it, the window's thread answering events meanwhile
    QDeadlineTimer m_until{QDeadlineTimer::Forever}; // the same deadline, for a wait without an application
    HelperEnding m_ending;
    int m_socket = -1;
    qint64 m_group = 0; // the group it leads: kept for a kill after it has ended
    bool m_deadlinePassed = false;
};
