#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/RandomSource.h"
#include "core/Steps.h"
#include "diagram/drawDiagram.h"
#include "screen/SessionClock.h"
#include "screen/SessionWindow.h"

namespace voroquarn {

// How a window's diagrams follow one another.
struct SessionSettings {
    // Draw one diagram after another instead of one that stands for good.
    bool cycle = false;
    // How long a finished diagram stands before the next one; zero: for good.
    std::chrono::milliseconds linger{10000};
    // The time a step of the fill and the tracing takes at least, so that the drawing can
    // be watched; zero: as fast as the machine goes (or as `duration` says).
    std::chrono::microseconds delay{0};
    // How long the fill and the tracing of a diagram take together, their steps spread
    // evenly over it, on a small window as on a large screen; the preparations of many
    // sites come before and take what they take. Zero: as `delay` says. Not with a delay.
    std::chrono::milliseconds duration{0};
    // How long a standing diagram takes to give way to the next one (SessionWindow::wipe);
    // zero: the next one starts at once.
    std::chrono::milliseconds transition{0};
    // The seed of the first diagram; each later one has a seed of its own derived from
    // it, so that a whole session can be replayed. Without it, the clock.
    std::optional<std::uint32_t> seed;
    // Draw the diagram anew, with its own seed, whenever the window changes its size.
    bool followResizes = false;
    // Show the frame rate and the load over the picture, as xscreensaver's hacks do.
    bool fps = false;
    // The sites and who hears of them, for every diagram.
    RunSettings run;
};

// The seed of the k-th diagram (counted from 0) of a session started with `seed`: the
// seed itself for the first, so that one diagram is the same picture with or without
// cycling, and well-mixed values for the others; two diagrams of one session may
// rarely share a seed, as two random 32-bit values may.
std::uint32_t seedOfDiagram(std::uint32_t seed, std::uint64_t k);

// Drives the drawing of diagrams on one window, the way a screen-saver framework drives
// its hacks: the drawing is a coroutine that the session resumes step by step whenever
// its clock wakes it. It lets the window handle its events at every step, paces the
// steps by a delay or a duration (sleeping, not spinning, between frames), puts the
// picture on screen before it waits, lets a finished diagram stand, and starts the next.
class Session {
public:
    Session(SessionWindow& window, SessionClock& clock, SessionSettings settings);

    // Starts the first diagram once the event loop runs.
    void start();
    // Drops the diagram being drawn or standing and starts the next one (at the window's
    // size then), as soon as the event loop runs again.
    void newDiagram();
    // Draws the diagram again from its start with the same seed, at the window's size
    // then, as soon as the event loop runs again.
    void redraw();
    // The window's size has changed: the diagram is drawn again if the session follows
    // resizes.
    void resized();
    // From now on, a change of the window's size redraws the diagram.
    void followResizes() { settings_.followResizes = true; }
    // Stops drawing for good; the window and the picture stay as they are.
    void stop();

    // The seed of the diagram on screen; nothing before its random numbers are seeded.
    std::optional<std::uint32_t> seed() const;

    // The steps taken so far, and the time spent drawing them (not waiting), for the
    // frame rate and the load.
    struct Activity {
        std::uint64_t steps = 0;
        std::chrono::nanoseconds busy{0};
    };
    Activity activity() const { return activity_; }

    // Called when the session ends the program: with 0 once the window is closed, with
    // the error status once a drawing failed (its message said).
    std::function<void(int status)> onEnd;

private:
    enum class Restart { None, Redraw, Next };
    using Pace = std::chrono::duration<double, std::nano>;

    void wake();
    // Wipes the standing diagram as far as the transition has come; begins the next one
    // once it is through.
    void giveWay();
    void begin();
    void advance();
    // Sets the pace anew from now on.
    void paceFrom(Pace perStep);
    void end(int status);
    RunSettings runSettings() const;

    SessionWindow& window_;
    SessionClock& clock_;
    SessionSettings settings_;
    std::optional<std::uint32_t> requestedSeed_;  // what the diagram's generator was given
    std::optional<SeededRandom> random_;
    std::optional<Steps> drawing_;
    // The pace: paced steps taken since `pacedFrom`, each due `perStep` after the one
    // before.
    Pace perStep_{0};
    SessionClock::Time pacedFrom_;
    std::int64_t paced_ = 0;
    std::uint64_t next_ = 0;  // the number of the next new diagram
    Restart restart_ = Restart::None;
    // A finished diagram stands; and since when it gives way, once it does.
    bool standing_ = false;
    std::optional<SessionClock::Time> givingWaySince_;
    bool stopped_ = false;
    bool advancing_ = false;  // inside advance(), where events are handled between steps
    Activity activity_;
};

}  // namespace voroquarn
