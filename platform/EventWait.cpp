#include "platform/EventWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

EventWait::EventWait() = default;

EventWait::~EventWait() = default;

void EventWait::done()
{
    int none = -1;
    if (m_ended.compare_exchange_strong(none, int(End::Done))) {
        wake();
    }
}

void EventWait::interrupt()
{
    int none = -1;
    if (m_ended.compare_exchange_strong(none, int(End::Interrupted))) {
        wake();
    }
}

void EventWait::wake()
{
    // Through the waiting thread's queue: a call from another thread reaches the loop there, and one made before the
    // loop runs is seen by run() itself.
    QMetaObject::invokeMethod(
        &m_context,
        [this] {
            if (m_loop != nullptr) {
                m_loop->quit();
            }
        },
        Qt::QueuedConnection);
}

EventWait::End EventWait::run(std::optional<std::chrono::milliseconds> deadline)
{
    QTimer timer;
    if (deadline) {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &m_context, [this] {
            int none = -1;
            if (m_ended.compare_exchange_strong(none, int(End::Deadline)) && m_loop != nullptr) {
                m_loop->quit();
            }
        });
        timer.start(*deadline);
    }
    if (m_ended.load() < 0 && QCoreApplication::instance() != nullptr) {
        QEventLoop loop;
        m_loop = &loop;
        // Ended by a quit of ours, or by the application's end, which ends every nested loop (and one that starts
        // after it at once).
        loop.exec();
        m_loop = nullptr;
    }
    int none = -1;
    m_ended.compare_exchange_strong(none, int(End::Interrupted));
    return End(m_ended.load());
}
