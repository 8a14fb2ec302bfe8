#include "app/TerminationSignals.h"

#include <QEvent>
#include <QSocketNotifier>
#include <QWidget>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array kTerminationSignals{SIGTERM, SIGINT, SIGHUP};

// The pipe's write end: all the handler touches.
volatile sig_atomic_t g_writeEnd = -1;

extern "C" void onTerminationSignal(int number)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a signal that will be acted on.
    (void)!::write(g_writeEnd, &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QWidget& window) : m_window(&window)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the signals keep their default action and end the program as before
    }
    m_readEnd = ends[0];
    g_writeEnd = ends[1];
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::received);
    window.installEventFilter(this);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kTerminationSignals) {
        struct sigaction previous = {};
        // A signal ignored by whoever started the program (nohup, a background job) stays ignored.
        if (::sigaction(number, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
            ::sigaction(number, &action, nullptr);
        }
    }
}

TerminationSignals::~TerminationSignals()
{
    if (m_readEnd < 0) {
        return;
    }
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (const int number : kTerminationSignals) {
        struct sigaction current = {};
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == onTerminationSignal) {
            ::sigaction(number, &fallback, nullptr);
        }
    }
    ::close(g_writeEnd);
    g_writeEnd = -1;
    ::close(m_readEnd);
}

bool TerminationSignals::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Show) {
        m_shown = true;
    }
    return QObject::eventFilter(watched, event);
}

void TerminationSignals::received()
{
    unsigned char numbers[16];
    const ssize_t got = ::read(m_readEnd, numbers, sizeof numbers);
    if (got <= 0 || m_closing) {
        return;
    }
    if (!m_shown || m_window == nullptr) {
        // Before the window is shown no run can be under way: nothing to clean up, so the signal does what it
        // always does.
        ::signal(numbers[0], SIG_DFL);
        ::raise(numbers[0]);
        return;
    }
    m_closing = true;
    m_window->close();
}
