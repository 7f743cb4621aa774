#pragma once

#include <QSize>
#include <cstdint>
#include <optional>
#include <string>

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
    // Where a window of the program's own goes, as X geometry writes a place: "+X+Y",
    // with - for an offset from the screen's right or bottom edge; empty: where the
    // window system puts it.
    std::string position;
    // As on a monochrome display (-mono): the screen saver's markers and labels without
    // the shades of antialiasing.
    bool monochrome = false;
    // The X display to open, instead of the one the environment names.
    std::optional<std::string> display;
    // How the diagrams follow one another, and the run of each; session.cycle is set for
    // every target but Target::Window.
    SessionSettings session;
};

}  // namespace voroquarn
