#pragma once

#include <QTimer>
#include <chrono>
#include <functional>

namespace voroquarn {

// The time a session paces its drawing by, and the one wake-up it waits for: the steady
// clock and a timer of Qt's event loop in the program, a clock of their own in tests.
class SessionClock {
public:
    using Time = std::chrono::steady_clock::time_point;

    SessionClock() = default;
    SessionClock(const SessionClock&) = delete;
    SessionClock& operator=(const SessionClock&) = delete;
    virtual ~SessionClock() = default;

    virtual Time now() const = 0;
    // Calls onWake once `wait` has passed, instead of any wake-up asked for before; a
    // wait of zero wakes as soon as the event loop runs again.
    virtual void wakeAfter(std::chrono::nanoseconds wait) = 0;
    // Drops the wake-up asked for, if any.
    virtual void cancel() = 0;

    std::function<void()> onWake;
};

// The steady clock, and a precise single-shot timer for the wake-up.
class TimerClock final : public SessionClock {
public:
    TimerClock();

    Time now() const override { return std::chrono::steady_clock::now(); }
    void wakeAfter(std::chrono::nanoseconds wait) override;
    void cancel() override { timer_.stop(); }

private:
    QTimer timer_;
};

}  // namespace voroquarn
