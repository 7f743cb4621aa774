#pragma once

#include <QSize>
#include <cstdint>

#include "screen/Session.h"

namespace voroquarn {

// Where the picture goes when it goes to the screen.
enum class Target {
    Window,      // a window of the program's own
    FullScreen,  // a full-screen window, ended by any key or click
    Root,        // $XSCREENSAVER_WINDOW, or the root window
    WindowId,    // a window of another program
};

// Everything the screen needs to know of a run, as values.
struct ScreenSettings {
    Target target = Target::Window;
    std::uint32_t windowId = 0;  // with Target::WindowId
    QSize size;                  // the drawing area of a window of the program's own
    // The explorer (runExplorer) in a window of the program's own, instead of diagrams
    // traced as they are watched; with Target::Window only.
    bool explore = false;
    // How the diagrams follow one another, and the run of each; session.cycle is set for
    // every target but Target::Window.
    SessionSettings session;
};

}  // namespace voroquarn
