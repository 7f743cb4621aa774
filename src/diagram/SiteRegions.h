#pragma once

#include <cstdint>
#include <vector>

#include "diagram/BoundaryPieces.h"
#include "diagram/PictureEdges.h"
#include "diagram/SiteArrays.h"
#include "diagram/WeightedDiagram.h"

namespace voroquarn {

class Progress;

// One part of a region's boundary: a piece of the diagram, or a stretch of the area's
// edge as a segment, walked so that the region lies on its side of positive signed
// area (in pixel coordinates, y down: on the right as seen on screen).
struct RegionPart {
    BoundaryPiece piece;
    bool reversed = false;    // walked from the piece's end to its start
    std::int32_t other = -1;  // the site beyond it (from 0, as the sites were given); -1: the area's edge

    PlanePoint from() const { return reversed ? piece.end : piece.start; }
    PlanePoint to() const { return reversed ? piece.start : piece.end; }
};

// The regions of any number of sites within an area, one site at a time: each region's
// boundary, from the diagram's exact pieces and the stretches of the area's edges its
// site is nearest to. Sites count from 0 in the order given; an exact copy of an earlier
// site has an empty region, the earlier one has their pieces.
//
// The diagram keeps only its meetings; a region's pieces are found again from them when
// asked for, so that a million sites need little more memory than their diagram.
class SiteRegions {
public:
    // The sites are kept by reference and must stay as they are; the area must not be
    // empty. `progress`, if any, is told how far the diagram is.
    SiteRegions(const SiteArrays& given, const ClipArea& area, Progress* progress = nullptr);

    const SiteArrays& sites() const { return given_; }
    const ClipArea& area() const { return diagram_.cells().area(); }

    // The boundary of site k's region, in no particular order: replaces `parts`.
    void boundaryOf(std::int32_t k, std::vector<RegionPart>& parts);

private:
    const SiteArrays& given_;
    SiteArrays sorted_;
    WeightedDiagram diagram_;
    std::vector<std::int32_t> places_;  // of each sorted site among the given
    std::vector<std::int32_t> sortedOf_;  // of each given site among the sorted
    // The pairs of each sorted site, as the places of their first meetings among the
    // diagram's.
    std::vector<std::uint32_t> firstPair_;
    std::vector<std::uint32_t> pairs_;
    // The area's edges by owner, sorted site after sorted site.
    std::vector<EdgeStretch> edges_;
    WeightedDiagram::PairScratch scratch_;
    std::vector<BoundaryPiece> pieces_;
};

}  // namespace voroquarn
