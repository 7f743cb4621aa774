#pragma once

#include <span>

#include "sites/SiteArrays.h"
#include "sites/SiteFile.h"

namespace voroquarn {

class DrawingSurface;
class RandomSource;

// Site positions keep this many pixels away from the window's outer edges.
inline constexpr double MARGIN = 15.0;

// Marks a site on screen: a small circle in the drawing colour with the integer part of
// its weight printed at its centre.
void drawSiteMarker(DrawingSurface& window, double x, double y, float w);

// Draws the site count (4 to 9), then for every site a position inside the window's
// margins and a weight in [1, 1000), marking each site as soon as it exists.
void makeSites(DrawingSurface& window, RandomSource& random, SiteArrays& sites);

}  // namespace voroquarn

namespace voroquarn {

// Takes the given sites (at most MAX_SITES) in order, marking each as it is placed, the
// way makeSites marks the random ones.
void placeSites(DrawingSurface& window, std::span<const Site> given, SiteArrays& sites);

}  // namespace voroquarn
