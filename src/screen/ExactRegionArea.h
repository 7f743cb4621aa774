#pragma once

#include <cstdint>

#include "diagram/BoundaryPieces.h"
#include "diagram/SiteArrays.h"

namespace voroquarn {

// The exact area, in px², of the part of `area` where site k (from 0, in any order of the
// sites) is nearest in the weighted sense: Green's theorem along its boundary, each
// piece's chord and, for an arc, the circular segment between chord and arc, and the
// stretches of the area's edges the site owns. Of sites at one place the heaviest has
// the region, of equal ones the first.
//
// The explorer's status line stands in with this for the measure that the regions'
// CSV and GeoJSON output is written from (measureRegion, diagram/RegionMeasures.h on the
// regions branch); once that is here, this is to be replaced by it.
double exactRegionArea(const SiteArrays& sites, std::int32_t k, const ClipArea& area);

}  // namespace voroquarn
