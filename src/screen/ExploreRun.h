#pragma once

#include "screen/ScreenSettings.h"

namespace voroquarn {

// The explorer: the diagram of the run's sites (random ones from the seed and count, or
// those given) in a resizable window of the program's own, where the user moves, weighs,
// adds and removes sites and sees the whole diagram follow at once. The sites are
// reported (settings.session.run.onSitesPlaced) as they stand when the window closes.
// Returns the exit status.
int runExplorer(const char* program, const ScreenSettings& settings);

}  // namespace voroquarn
