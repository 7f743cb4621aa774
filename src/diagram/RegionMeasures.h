#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "diagram/BoundaryPieces.h"
#include "diagram/SiteArrays.h"

namespace voroquarn {

struct RegionPart;

// A boundary shorter than this, px, counts as a point: its ends are no further apart than
// the rounding of where pieces meet can put them, at its worst where circles touch.
inline constexpr double SHORTEST_BOUNDARY = 1e-6;

// What a site's region inside the area measures, exactly: arcs count as arcs, not as
// the polygons that approximate them.
struct RegionMeasure {
    double area = 0;       // px²
    double perimeter = 0;  // px, the area's edges included
    // The sites (from 0, as given) that share a boundary with it longer than
    // SHORTEST_BOUNDARY, ascending.
    std::vector<std::int32_t> neighbours;
};

// The measures of the region the parts bound (SiteRegions::boundaryOf): its area by
// Green's theorem, each part's chord and, for an arc, the circular segment between chord
// and arc. Reuses the room of `measure`.
void measureRegion(std::span<const RegionPart> parts, RegionMeasure& measure);

// The signed area that a part adds to its region's, about `origin`: its chord's
// triangle with the origin and its circular segment. Taken about a point near the
// region, a region's parts add up without cancellation.
double signedAreaOf(const RegionPart& part, PlanePoint origin);

// The length of a piece.
double lengthOf(const BoundaryPiece& piece);

// The measures of every site's region, in the order of the sites.
struct RegionMeasures {
    std::vector<double> area;
    std::vector<double> perimeter;
    std::vector<std::uint32_t> firstNeighbour;  // of each site in neighbours; one more at the end
    std::vector<std::int32_t> neighbours;

    std::span<const std::int32_t> neighboursOf(std::int32_t k) const
    {
        const auto at = static_cast<std::size_t>(k);
        return std::span(neighbours).subspan(firstNeighbour[at], firstNeighbour[at + 1] - firstNeighbour[at]);
    }
};

// The regions of the sites, in any order, within the area (which must not be empty).
RegionMeasures measureRegions(const SiteArrays& sites, const ClipArea& area);

}  // namespace voroquarn
