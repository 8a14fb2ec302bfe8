#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <optional>

class QEventLoop;

// The program's one way of waiting on the window's thread without freezing it: the thread goes on answering its
// events (drawing, input, a close, a termination signal) until what it waits for has come. Every wait for a helper
// program, a worker thread or a background answer is one of these.
//
// One object per wait: made, told what ends it, run once.
class EventWait final
{
public:
    enum class End
    {
        Done,        // done() was called, or a signal given to endOn() came
        Deadline,    // the deadline passed first
        Interrupted, // interrupt() was called, or the application is quitting (which ends every wait)
    };

    EventWait();
    ~EventWait();
    EventWait(const EventWait&) = delete;
    EventWait& operator=(const EventWait&) = delete;

    // The wait ends (as Done) when sender emits signal.
    template <typename Sender, typename Signal> void endOn(const Sender* sender, Signal signal)
    {
        QObject::connect(sender, signal, &m_context, [this] { done(); });
    }
    // Ends the wait as Done; from any thread, also before run().
    void done();
    // Ends the wait as Interrupted; from any thread, also before run().
    void interrupt();

    // Answers events until the wait ends; a deadline, if given, counts from now.
    End run(std::optional<std::chrono::milliseconds> deadline = std::nullopt);

private:
    void wake();

    QObject m_context;            // what the signals that end the wait are delivered to
    std::atomic<int> m_ended{-1}; // an End, once the wait has ended
    QEventLoop* m_loop = nullptr;
};
