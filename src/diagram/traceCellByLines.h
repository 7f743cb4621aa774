#pragma once

#include "core/Steps.h"
#include "diagram/SiteArrays.h"
#include "diagram/SiteCells.h"
#include "diagram/sweep.h"

namespace voroquarn {

class DrawingSurface;

// Traces a crowded cell line by line: on each column and row of pixels through it, the
// points where the nearest site changes, from the envelope of its candidates along the
// line (ownersAlong), yielding once a line. Where boundaries crowd, as at the point of a
// pencil of circles, that costs O(k log k) a line for k candidates, where tracing pair
// by pair tests every candidate at every step of every boundary. The points are those
// the pairs' sweeps would plot, but for a circle's first column and row just outside it.
// The sites and the cells must outlive the drawing.
Steps traceCellByLines(DrawingSurface& window, const SiteArrays& sites, const SiteCells& cells,
                       const SiteCells::Leaf& leaf);

// How many steps it takes while the window keeps these extents.
std::int64_t cellByLinesSteps(const SiteCells& cells, const SiteCells::Leaf& leaf, const SweepExtents& extents);

}  // namespace voroquarn
