#include "conversion/PageWorker.h"

#include "platform/EventWait.h"

#include <QCoreApplication>
#include <QSemaphore>

PageWorker::PageWorker() : m_context(std::make_unique<QObject>())
{
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

PageWorker::~PageWorker()
{
    m_thread.quit();
    m_thread.wait();
}

void PageWorker::runAndWait(const std::function<void()>& work)
{
    if (QCoreApplication::instance() == nullptr) {
        work();
        return;
    }
    EventWait wait;
    QSemaphore done;
    QMetaObject::invokeMethod(
        m_context.get(),
        [&] {
            work();
            wait.done();
            done.release();
        },
        Qt::QueuedConnection);
    (void)wait.run();
    // The wait also ends when the application quits; the work is bounded, and it is waited for.
    done.acquire();
}
