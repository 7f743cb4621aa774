#pragma once

#include <cstdint>
#include <optional>

#include "diagram/BoundaryPieces.h"

namespace voroquarn {

struct SiteArrays;

// A box, within `area`, that holds every point of the area where site k (counted from 0)
// is not farther than any other site in the weighted sense: its region with its
// boundary. Nothing when no such point can lie in the area.
//
// Every heavier site keeps site k's region inside their bisector circle, a disk around
// site k; a site of the same weight keeps it on site k's side of their bisector line.
// The box is the area cut down to each of these, grown by a pixel against rounding. A
// site that no other outweighs may be nearest anywhere: its box is the area. O(N).
std::optional<ClipArea> regionBound(const SiteArrays& sites, std::int32_t k, const ClipArea& area);

}  // namespace voroquarn
