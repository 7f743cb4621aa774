#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/PlanePoint.h"
#include "diagram/Nearer.h"

namespace voroquarn {

// A run of a segment owned by one site: from the previous run's end (or the segment's
// start) up to `to`, as a share of the segment from 0 to 1.
struct OwnerRun {
    std::int32_t site;
    double to;
};

// What the envelope reuses from one call to the next, so that it allocates nothing once
// it has met its largest crowd.
struct OwnersScratch {
    std::vector<OwnerRun> runs;
    std::vector<OwnerRun> merged;
    std::vector<std::size_t> starts;
    std::vector<std::size_t> mergedStarts;
};

// The sites nearest (in the weighted sense) along the segment from a to b, run by run,
// into `runs`: the lower envelope of their squared ratios, each a quadratic along the
// segment, found by halving the sites and merging the halves' envelopes, O(k log k) for
// k sites (two quadratics cross at most twice, so merging is linear). `ids` name the
// sites in the runs. Runs of one site follow each other only where two ties coincide.
void ownersAlong(PlanePoint a, PlanePoint b, std::span<const WeightedSite> sites, std::span<const std::int32_t> ids,
                 std::vector<OwnerRun>& runs, OwnersScratch& scratch);

}  // namespace voroquarn
