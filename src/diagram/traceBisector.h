#pragma once

#include <cstdint>
#include <span>

#include "core/Steps.h"
#include "diagram/BoundaryPieces.h"
#include "diagram/OwnedBox.h"
#include "diagram/SiteArrays.h"
#include "diagram/sweep.h"

namespace voroquarn {

class DrawingSurface;

// Draws the part of the bisector of sites i < j (counted from 1, sorted by weight) that
// belongs to the diagram, by a sweep over columns and then one over rows, yielding to
// the window system once per step. The sites are taken by value: the drawing may run
// long after the call.
Steps traceBisector(DrawingSurface& window, SiteArrays sites, int i, int j);

// The same within one cell of the diagram where the pair's pieces lie (`pieces`, their
// bounds): only the steps whose column or row lies in both, a pixel more on every
// side, only the points the cell owns, each tested against the cell's candidates
// (counted from 0). The sites and the candidates must outlive the drawing.
Steps traceBisectorInCell(DrawingSurface& window, const SiteArrays& sites, int i, int j, const OwnedBox& cell,
                          const ClipArea& pieces, std::span<const std::int32_t> candidates);

// The coordinates a pair's two sweeps step through, columns and then rows; a sweep
// whose range is empty is not made.
struct SweepRanges {
    double firstColumn;
    double lastColumn;
    double firstRow;
    double lastRow;

    // How many steps the two sweeps take while the window keeps these extents.
    std::int64_t steps(const SweepExtents& extents) const;
};

// How many steps the tracings of the bisector of sites i < j take, traceBisector's or
// traceBisectorInCell's in cell after cell, while the window keeps the extents given;
// the bisector is found once.
class TracingSteps {
public:
    TracingSteps(const SiteArrays& sites, int i, int j);
    std::int64_t whole(const SweepExtents& extents) const;
    std::int64_t inCell(const OwnedBox& cell, const ClipArea& pieces, const SweepExtents& extents) const;

private:
    SweepRanges ranges_;
};

}  // namespace voroquarn
