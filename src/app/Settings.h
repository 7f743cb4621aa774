#pragma once

#include "app/Options.h"
#include "diagram/drawDiagram.h"
#include "screen/ScreenSettings.h"

namespace voroquarn {

// What the options ask of every run: its sites (but those of a site file, which are
// read elsewhere), its fill and what marks the sites.
RunSettings runSettingsOf(const Options& options);

// What the options ask of the screen, as values, with `run` for each of its diagrams.
ScreenSettings screenSettingsOf(const Options& options, RunSettings run);

}  // namespace voroquarn
