#include "bench/EventTurns.h"

#include "platform/EventWait.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

// Short enough not to lengthen what is timed, long enough to leave the processors to the work.
constexpr std::chrono::milliseconds kTick{5};

void turnFor(std::chrono::milliseconds time)
{
    EventWait tick;
    QTimer::singleShot(time, [&tick] { tick.done(); });
    (void)tick.run();
}

} // namespace

bool waitWhile(const std::function<bool()>& underWay, std::chrono::milliseconds limit)
{
    QElapsedTimer waited;
    waited.start();
    while (underWay()) {
        if (waited.elapsed() > limit.count()) {
            return false;
        }
        turnFor(kTick);
    }
    return true;
}

void letEventsRun()
{
    turnFor(std::chrono::milliseconds(0));
}
