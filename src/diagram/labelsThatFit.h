#pragma once

#include <vector>

#include "diagram/BoundaryPieces.h"

namespace voroquarn {

struct SiteArrays;

// How large markers and labels are in the picture's pixels.
struct MarkSizes {
    double markerReach = 4.5;  // from a site to the edge of its marker, every way
    double digitWidth = 8;     // the widest digit of a label
    double labelHeight = 15;   // a label's line, from its top
};

// Which labels a picture of many sites has room for: a site's label (its top-left
// corner at the site, as wide as its digits) is drawn when it would overlap no other
// site's marker (with markers drawn) and no label drawn before it, the sites taken in
// their order; labels wholly outside the extent are left out. Marker and label boxes
// are sorted into a grid of cells, so that each label is checked against what lies
// near it: O(N) for sites spread over the picture, stopping at the first overlap where
// they crowd.
std::vector<bool> labelsThatFit(const SiteArrays& sites, const MarkSizes& sizes, bool markers, const ClipArea& extent);

}  // namespace voroquarn
