#include "screen/SessionClock.h"

namespace voroquarn {

TimerClock::TimerClock()
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (onWake) {
            onWake();
        }
    });
}

void TimerClock::wakeAfter(std::chrono::nanoseconds wait)
{
    // Qt's timers count whole milliseconds: rounded up, never early.
    timer_.start(std::chrono::ceil<std::chrono::milliseconds>(wait));
}

}  // namespace voroquarn
