#pragma once

#include <QTimer>
#include <chrono>
#include <cstdint>
#include <optional>

#include "core/RandomSource.h"
#include "core/Steps.h"
#include "diagram/drawDiagram.h"

namespace voroquarn {

class FrmVoroQuarn;

// How a window's diagrams follow one another.
struct SessionSettings {
    // Draw one diagram after another instead of one that stands for good.
    bool cycle = false;
    // How long a finished diagram stands before the next one; zero: for good.
    std::chrono::milliseconds linger{10000};
    // The time a sweep step takes at least, so that the tracing can be watched; zero:
    // as fast as the machine goes.
    std::chrono::microseconds delay{0};
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
// its hacks: the drawing is a coroutine that the session resumes step by step from the
// event loop. It lets the window handle its events at every step, paces the steps when
// there is a delay (sleeping, not spinning, between frames), puts the picture on screen
// before it waits, lets a finished diagram stand, and starts the next.
//
// A window that fits its picture to its size (WindowFit::Target) gets sites whose
// markers lie wholly inside it.
class Session {
public:
    Session(FrmVoroQuarn& window, SessionSettings settings);

    // Starts the first diagram once the event loop runs.
    void start();
    // Drops the diagram being drawn or standing and starts the next one (at the window's
    // size then), as soon as the event loop runs again.
    void newDiagram();
    // Draws the diagram again from its start with the same seed, at the window's size
    // then, as soon as the event loop runs again.
    void redraw();
    // From now on, a change of the window's size redraws the diagram.
    void followResizes() { settings_.followResizes = true; }
    // Stops drawing for good; the window and the picture stay as they are.
    void stop();

    // The seed of the diagram on screen; nothing before its random numbers are seeded.
    std::optional<std::uint32_t> seed() const;

private:
    enum class Restart { None, Redraw, Next };

    void begin();
    void advance();
    RunSettings runSettings() const;

    FrmVoroQuarn& window_;
    SessionSettings settings_;
    std::optional<std::uint32_t> requestedSeed_;  // what the diagram's generator was given
    std::optional<SeededRandom> random_;
    std::optional<Steps> drawing_;
    QTimer timer_;
    std::chrono::steady_clock::time_point due_;
    std::uint64_t next_ = 0;  // the number of the next new diagram
    Restart restart_ = Restart::None;
    bool stopped_ = false;
    bool advancing_ = false;  // inside advance(), where events are handled between steps
};

}  // namespace voroquarn
