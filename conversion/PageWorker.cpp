#include "conversion/PageWorker.h"

#include <QCoreApplication>
#include <QEventLoop>
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
    QEventLoop loop;
    QSemaphore done;
    QMetaObject::invokeMethod(
        m_context.get(),
        [&] {
            work();
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
            done.release();
        },
        Qt::QueuedConnection);
    loop.exec();
    // The loop also ends when the application quits; the work is bounded, and it is waited for.
    done.acquire();
}
