#pragma once

#include <QThread>

#include <functional>
#include <memory>

// One thread for a whole run that does the page stage's long calls (drawing, which encodes the picture, and
// writing the page), while the window's thread keeps answering its events. Starting a thread for each call cost
// more than some small pages take.
class PageWorker
{
public:
    PageWorker();
    ~PageWorker();
    PageWorker(const PageWorker&) = delete;
    PageWorker& operator=(const PageWorker&) = delete;

    // Runs work on the worker thread and returns its result once it is done; the calling thread answers its
    // events meanwhile. Without an application object the work runs right here.
    template <typename Work> auto run(Work work) -> decltype(work())
    {
        decltype(work()) result{};
        runAndWait([&result, &work] { result = work(); });
        return result;
    }

private:
    void runAndWait(const std::function<void()>& work);

    QThread m_thread;
    std::unique_ptr<QObject> m_context; // lives on m_thread: what is sent to it runs there
};
