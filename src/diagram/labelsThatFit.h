#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "diagram/BoundaryPieces.h"

namespace voroquarn {

struct SiteArrays;

// How large markers and labels are in the picture's pixels.
struct MarkSizes {
    double markerReach = 4.5;  // from a site to the edge of its marker, every way
    double digitWidth = 8;     // the widest digit of a label
    double labelHeight = 15;   // a label's line, from its top
    double digitsMiddle = 7.5;  // from a line's top to the middle of its digits
    double gap = 2;             // between a marker and a label beside it
};

// Where a label goes: nowhere, with its top-left corner at the site (as the design
// prints it), or beside the site's marker, a gap apart: to its right or left with the
// digits' middle level with the site, or above or below it, centred on the site.
enum class LabelSpot : std::uint8_t { None, AtSite, Right, Left, Above, Below };

// The top-left corner of the label of weight w of the site at (x, y) in that spot.
PlanePoint labelCorner(LabelSpot spot, double x, double y, float w, const MarkSizes& sizes);

// Which labels a picture of many sites has room for: a site's label (its top-left
// corner at the site, as wide as its digits) is drawn when it would overlap no other
// site's marker (with markers drawn) and no label drawn before it, the sites taken in
// their order; labels wholly outside the extent are left out. Marker and label boxes
// are sorted into a grid of cells, so that each label is checked against what lies
// near it: O(N) for sites spread over the picture, stopping at the first overlap where
// they crowd.
std::vector<bool> labelsThatFit(const SiteArrays& sites, const MarkSizes& sizes, bool markers, const ClipArea& extent);

// Labels beside their markers, as the screen saver shows them, so that no label touches
// its own marker: each goes in the first of the spots to the right, left, above and
// below its marker where it overlaps no marker and no label placed before it and lies
// wholly inside the extent, and is left out where there is none. The same grid of cells
// keeps it O(N).
std::vector<LabelSpot> labelsBeside(const SiteArrays& sites, const MarkSizes& sizes, bool markers,
                                    const ClipArea& extent);

}  // namespace voroquarn
