#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/WindowMetrics.h"
#include "diagram/SiteArrays.h"
#include "diagram/SiteFile.h"

namespace voroquarn {

class DrawingSurface;
class RandomSource;

// Site positions keep this many pixels away from the window's outer edges.
inline constexpr double MARGIN = 15.0;

// The radius of a site's circle, in pixels at marker scale 1.
inline constexpr float MARKER_RADIUS = 3.0F;

// How far site positions keep from the edges of the extent that the window reports, in
// pixels: x lies in [left, width - right), y in [top, height - bottom).
struct SiteMargins {
    double left;
    double top;
    double right;
    double bottom;
};

// The design margins, the same on every side.
inline constexpr SiteMargins DESIGN_MARGINS{MARGIN, MARGIN, MARGIN, MARGIN};

// No margins within the drawing area of a window whose extent is that of the design
// frame around it: sites anywhere in [0, W) x [0, H).
inline constexpr SiteMargins WHOLE_AREA{0, 0, DESIGN_FRAME.left + DESIGN_FRAME.right,
                                        DESIGN_FRAME.top + DESIGN_FRAME.bottom};

// The margins that keep every marker wholly inside a window that reports its visible
// extent: `marker` is the box a marker covers around its site (left and top negative),
// and every side keeps at least the design margin at marker scale `scale`.
SiteMargins marginsHolding(const SiteMargins& marker, double scale);

// How sites are placed and marked.
struct SiteMarks {
    // Random sites: this many instead of 4 to 9.
    std::optional<std::int32_t> count;
    // Mark each site as soon as it is placed; else the caller marks them later.
    bool eachAsPlaced = true;
    bool markers = true;  // the circle
    bool labels = true;   // the weight
};

// Marks a site on screen: a small circle in the drawing colour with the integer part of
// its weight printed at its centre, each as `marks` asks.
void drawSiteMarker(DrawingSurface& window, double x, double y, float w, const SiteMarks& marks = {});

// Draws the site count (4 to 9), then for every site a position inside the margins of the
// window's extent and a weight in [1, 1000), marking each site as soon as it exists.
void makeSites(DrawingSurface& window, RandomSource& random, SiteArrays& sites,
               const SiteMargins& margins = DESIGN_MARGINS, const SiteMarks& marks = {});

}  // namespace voroquarn

namespace voroquarn {

// Takes the given sites in order, marking each as it is placed, the way makeSites marks
// the random ones.
void placeSites(DrawingSurface& window, std::span<const Site> given, SiteArrays& sites, const SiteMarks& marks = {});

}  // namespace voroquarn
