#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QSocketNotifier;
class QWidget;

// SIGTERM, SIGINT and SIGHUP end the program as closing its window does: a run under way stops, its helpers end and
// its workspace goes. Once the window is shown the handler only writes the signal's number into a pipe; the event
// loop reads it and closes the window (a dialog open over it goes with it). A signal that comes before the window
// is shown, when there is nothing to clean up, ends the program at once, as it would without this.
//
// One per program, made before the window, whose making reads files that may keep it waiting:
//     TerminationSignals terminationSignals;
//     frmPrinting window(services);
//     terminationSignals.watch(window);
// A run without a window hands over what stops it instead, once there is something to clean up.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The window that a signal closes once it has been shown.
    void watch(QWidget& window);
    // From now on a signal calls stop (once, from the event loop) instead of ending the program.
    void watch(std::function<void()> stop);
    // Ends the program by the signal that was caught, as it would have ended without this object; nothing when none
    // was.
    void endAsSignalled() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void received();

    QPointer<QWidget> m_window;
    std::function<void()> m_stop;
    int m_caught = 0; // the signal that stop() was called for
    QSocketNotifier* m_notifier = nullptr;
    int m_readEnd = -1;
    bool m_closing = false;
};
