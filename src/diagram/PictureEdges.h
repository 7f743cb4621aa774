#pragma once

#include <cstdint>
#include <vector>

#include "core/PlanePoint.h"

namespace voroquarn {

class SiteCells;
struct SiteArrays;

// A stretch of the area's edge and the site (sorted by weight, from 0) it belongs to.
struct EdgeStretch {
    std::int32_t site;
    PlanePoint from;
    PlanePoint to;
};

// Who owns the area's edges: a walk around them, along the top from left to right,
// down the right, back along the bottom and up the left (the way the area's outline
// has a positive signed area in pixel coordinates, y down), in stretches of one site
// each. A point of an edge belongs to its nearest site; within each cell along the edge
// the owner changes only where two of the cell's candidates tie, so the cell's stretch
// is cut at every such tie and each part goes to the nearest candidate at its middle.
// Where two sites tie along a whole part, which happens only where the edge is their
// straight bisector, it goes to the site on the area's side: the other's region lies
// outside. Copies of a site are one site, the first. The cells must be built.
std::vector<EdgeStretch> pictureEdgeOwners(const SiteCells& cells, const SiteArrays& sites);

}  // namespace voroquarn
