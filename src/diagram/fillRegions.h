#pragma once

#include <vector>

#include "core/Colour.h"
#include "core/Steps.h"
#include "diagram/BoundaryPieces.h"
#include "diagram/SiteArrays.h"
#include "diagram/sweep.h"

namespace voroquarn {

class DrawingSurface;
class Progress;
class WeightedDiagram;

// Fills the region of every site with its colour, row by row from the top, yielding to
// the window system before each row. A pixel belongs to the site of least distance over
// weight at its centre, measured as the tracing measures it; a tie goes to the site
// that comes first. Site k (counted from 1, sorted by weight) gets colours[k - 1], on
// the pixels that still show the background: markers drawn before stay as they are.
// Rows and columns go as far as the window's extent, read afresh for every row, as the
// sweeps do. `progress`, if any, is told at every row how far the fill is. The sites are
// taken by value: the drawing may run long after the call.
Steps fillRegions(DrawingSurface& window, SiteArrays sites, std::vector<Colour> colours, Progress* progress = nullptr);

// The same for a diagram of any number of sites, each pixel decided among the
// candidates of the diagram's cell that holds its centre; only the pixels of the
// diagram's area. The diagram must be built and outlive the drawing.
Steps fillRegions(DrawingSurface& window, const WeightedDiagram& diagram, std::vector<Colour> colours,
                  Progress* progress = nullptr);

// How many steps each of the two takes while the window keeps these extents; the second
// fills the area given, its diagram's.
std::int64_t fillSteps(const SweepExtents& extents);
std::int64_t fillSteps(const ClipArea& area, const SweepExtents& extents);

}  // namespace voroquarn
