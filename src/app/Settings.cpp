#include "app/Settings.h"

#include <chrono>

namespace voroquarn {

RunSettings runSettingsOf(const Options& options)
{
    RunSettings run;
    run.fill = options.fill && !options.mono;
    run.smooth = options.smooth && !options.mono;
    run.count = options.count;
    // A count of random sites covers the whole picture; the design's 4 to 9 keep its
    // margins. A window fitted to its picture keeps the margins that hold the markers.
    if (options.count) {
        run.margins = WHOLE_AREA;
    }
    run.markers = options.markers;
    run.labels = options.labels;
    // Diagram after diagram is the screen saver, which has a look of its own; one
    // diagram keeps the design's.
    run.look = options.cycle ? Look::Saver : Look::Design;
    return run;
}

ScreenSettings screenSettingsOf(const Options& options, RunSettings run)
{
    ScreenSettings screen;
    screen.target = options.target;
    screen.windowId = options.windowId;
    screen.size = options.size;
    screen.display = options.display;
    screen.explore = options.explore;
    // X geometry places the program's own window; a screen saver's window is given.
    if (options.geometry && options.target == Target::Window) {
        screen.size = options.geometry->size.value_or(options.size);
        screen.position = options.geometry->position;
    }
    SessionSettings& session = screen.session;
    session.seed = options.seed;
    session.run = std::move(run);
    session.cycle = options.cycle;
    session.fps = options.fps;
    if (options.lingerSeconds) {
        session.linger = std::chrono::seconds(*options.lingerSeconds);
    }
    // A delay paces by steps; else diagrams that follow one another are paced by their
    // duration, and one diagram only when asked to.
    session.delay = std::chrono::microseconds(options.delayMicroseconds.value_or(0));
    if (!options.delayMicroseconds) {
        session.duration = std::chrono::seconds(
            options.durationSeconds.value_or(options.cycle ? DEFAULT_SAVER_DURATION_SECONDS : 0));
    }
    return screen;
}

}  // namespace voroquarn
