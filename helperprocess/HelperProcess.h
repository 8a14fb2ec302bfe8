#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>

// How a helper program is started.
struct HelperSetup
{
    QString program;
    QStringList arguments;
    QProcessEnvironment environment; // empty: this program's own
    int socketDescriptor = -1;       // 0 or more: a local socket to the helper, its end as this descriptor
    bool discardOutput = false;      // its standard output goes nowhere (otherwise process() reads it)
    bool discardErrors = false;      // the same for its error output
    bool lowPriority = false;        // it gives way to the program's own work
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

    // Starts it without waiting for it to run: one that cannot be started at all is false (and *error), one that
    // fails on the way is reported by process()'s errorOccurred and by ended().
    [[nodiscard]] bool start(const HelperSetup& setup, QString* error);
    // This program's end of the socket (close-on-exec), -1 without one or once kill() closed it.
    [[nodiscard]] int socket() const { return m_socket; }
    // 0 when it has not been started or has been reaped.
    [[nodiscard]] qint64 processId() const { return m_process.processId(); }
    [[nodiscard]] bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // How it ended, what it wrote, its signals.
    [[nodiscard]] QProcess& process() { return m_process; }
    [[nodiscard]] const QProcess& process() const { return m_process; }

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
    // It has ended, or it failed to start.
    void ended();

private:
    QProcess m_process;
    QTimer m_deadline;      // ends it, the window's thread answering events meanwhile
    QDeadlineTimer m_until; // the same deadline, for a wait without an application
    int m_socket = -1;
    qint64 m_group = 0; // the group it leads: kept for a kill after it has ended
    bool m_deadlinePassed = false;
};
