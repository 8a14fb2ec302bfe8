#include "app/TerminationSignals.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QWidget>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array kTerminationSignals{SIGTERM, SIGINT, SIGHUP};

// The pipe's write end: all the handler touches once the window is shown.
volatile sig_atomic_t g_writeEnd = -1;

// Whether a signal is to close the window: from its showing till the event loop ends. Before, the loop that would
// read the pipe may not run for a while (the window's making reads files), and after it nobody reads it.
std::atomic<bool> g_closesWindow{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");

void restoreDefaultAction(int number)
{
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(number, &fallback, nullptr);
}

extern "C" void onTerminationSignal(int number)
{
    const int saved = errno;
    if (g_closesWindow.load()) {
        const auto byte = static_cast<unsigned char>(number);
        // A full pipe already holds a signal that will be acted on.
        (void)!::write(g_writeEnd, &byte, 1);
    } else {
        // Nothing to clean up: the signal does what it always does, once this handler returns and unblocks it.
        restoreDefaultAction(number);
        ::raise(number);
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return; // the signals keep their default action and end the program as before
    }
    m_readEnd = ends[0];
    g_writeEnd = ends[1];
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::received);
    if (const QCoreApplication* application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, this, [] { g_closesWindow = false; });
    }

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
    g_closesWindow = false;
    if (m_readEnd < 0) {
        return;
    }
    for (const int number : kTerminationSignals) {
        struct sigaction current = {};
        if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler == onTerminationSignal) {
            restoreDefaultAction(number);
        }
    }
    ::close(g_writeEnd);
    g_writeEnd = -1;
    ::close(m_readEnd);
}

void TerminationSignals::watch(QWidget& window)
{
    if (m_window != nullptr) {
        m_window->removeEventFilter(this);
    }
    m_window = &window;
    window.installEventFilter(this);
    g_closesWindow = m_readEnd >= 0 && window.isVisible();
}

void TerminationSignals::watch(std::function<void()> stop)
{
    m_stop = std::move(stop);
    g_closesWindow = m_readEnd >= 0;
}

void TerminationSignals::endAsSignalled() const
{
    if (m_caught == 0) {
        return;
    }
    restoreDefaultAction(m_caught);
    ::raise(m_caught);
}

bool TerminationSignals::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Show && m_readEnd >= 0) {
        g_closesWindow = true;
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
    if (m_stop) {
        m_closing = true;
        m_caught = numbers[0];
        m_stop();
        return;
    }
    if (m_window == nullptr) {
        // No window left to close: the signal does what it always does.
        restoreDefaultAction(numbers[0]);
        ::raise(numbers[0]);
        return;
    }
    m_closing = true;
    m_window->close();
}
