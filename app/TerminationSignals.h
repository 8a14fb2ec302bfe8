#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

// SIGTERM, SIGINT and SIGHUP end the program as closing its window does: a run under way stops, its helpers end and
// its workspace goes. The handler only writes the signal's number into a pipe; the event loop reads it and closes
// the window (a dialog open over it goes with it). A signal that comes before the window is shown, when there
// is nothing to clean up, ends the program at once, as it would without this.
//
// One per program, made where the window is:
//     frmPrinting window(services);
//     TerminationSignals terminationSignals(window);
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QWidget& window);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void received();

    QPointer<QWidget> m_window;
    QSocketNotifier* m_notifier = nullptr;
    int m_readEnd = -1;
    bool m_shown = false;
    bool m_closing = false;
};
