#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "diagram/BoundaryPieces.h"

namespace voroquarn {

struct SiteArrays;

// The part of the clip area on the lighter site's side of a pair's bisector, with the
// ties: inside the circle, or on the lighter site's side of the line for equal weights.
// Its outline is exact, made of the bisector's own pieces inside the area (as
// boundaryPieces gives them) closed along the area's edges.
struct BisectorSide {
    enum class Extent {
        Nowhere,     // no part of the area: the side ends outside it, or is a point
        Everywhere,  // all of the area
        Outline,     // what the loops enclose
    };
    Extent extent = Extent::Everywhere;
    // Closed loops, each a run of pieces end to end, back to its first piece's start:
    // clockwise on screen, so that the side lies on the right of the way along them.
    // Arcs of the bisector and segments along the area's edges.
    std::vector<std::vector<BoundaryPiece>> loops;
};

// The side of site i of the bisector of sites i < j (counted from 1, sorted by weight),
// within the area: where site i is not farther than site j in the weighted sense, as
// the tracing measures it. Of two sites at one place, the heavier one has the whole
// area, and of two copies of a site the first.
BisectorSide lighterSide(const SiteArrays& sites, int i, int j, const ClipArea& area);

// The lighter sides of the pairs (i, j) of the sites 1..N in the order the run traces
// them: (1,2), (1,3), ..., (N-1,N).
std::vector<BisectorSide> lighterSides(const SiteArrays& sites, const ClipArea& area);

// The area grown by `by` on every side.
inline ClipArea grown(const ClipArea& area, double by)
{
    return {area.left - by, area.top - by, area.right + by, area.bottom + by};
}

// One cut of a site's region: the lighter side of the pair `side` (an index into what
// lighterSides gives), or the part of the area outside of it.
struct RegionCut {
    std::size_t side;
    bool outside;
};

// The cuts that make site k's region (counted from 1) from the area, one for each
// other site whose bisector with k has an outline; nothing when the region is empty.
std::optional<std::vector<RegionCut>> regionCuts(const std::vector<BisectorSide>& sides, int N, int k);

}  // namespace voroquarn
