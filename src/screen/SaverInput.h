#pragma once

#include <QPointF>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>

class QEvent;

namespace voroquarn {

// When input ends a full-screen saver: at a key pressed, a button pressed or the pointer
// moved far, as under xscreensaver; never at a release, and at nothing in the first half
// second, while the hand that started the program lets go of its keys. A key held down
// since before the start is no press either: the X server repeats it as a release and a
// press at the same instant, which Qt does not always mark as repeats.
class SaverInput {
public:
    using Time = std::chrono::steady_clock::time_point;

    // Ignores everything until half a second after `start`.
    explicit SaverInput(Time start);

    // Whether the event, come at `now`, ends the saver.
    bool ends(const QEvent& event, Time now);

    static constexpr std::chrono::milliseconds DEAF_AT_START{500};
    // How far the pointer may move, in the window's units, before the saver ends.
    static constexpr double POINTER_HYSTERESIS = 10;

private:
    Time deafUntil_;
    std::optional<QPointF> pointer_;  // where the pointer was first seen
    std::map<std::uint32_t, std::uint64_t> released_;  // each key's last release, in server time
};

}  // namespace voroquarn
