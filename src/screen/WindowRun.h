#pragma once

#include "screen/ScreenSettings.h"

namespace voroquarn {

// Draws on screen as the options say: one diagram in the design window, the explorer, or
// diagram after diagram in a window, full screen, or in another program's window.
// Returns the exit status once the window is closed, the other program's window is gone,
// or a signal asks the program to end. `program` is the name the program was started by.
int runOnScreen(const char* program, ScreenSettings settings);

}  // namespace voroquarn
