#pragma once

#include <optional>
#include <string>
#include <vector>

#include "screen/DiagramWindow.h"
#include "screen/ScreenSettings.h"
#include "screen/WindowKeys.h"

namespace voroquarn {

// How a run on screen goes, decided from its settings alone: what Qt is told, how the
// window measures itself, whose window it draws into and what input it takes.
struct ScreenPlan {
    // Options for Qt itself: another X display, and a place for the program's own
    // window, which Qt puts there as X geometry says, frame and screen edges included.
    std::vector<std::string> qtOptions;
    // The design window for one diagram; a window that fits its picture to its size,
    // following it, for diagram after diagram.
    WindowFit fit = WindowFit::Design;
    bool followResizes = false;
    // Into another program's window, or the root window: the program takes no input
    // and shows no icon.
    bool foreign = false;
    bool fullScreen = false;
    // What keys and clicks do in a window of the program's own; nothing: no input.
    std::optional<WindowKeys::Role> keys;
};

ScreenPlan planOf(const ScreenSettings& settings);

}  // namespace voroquarn
