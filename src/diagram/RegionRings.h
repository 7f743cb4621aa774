#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/PlanePoint.h"

namespace voroquarn {

struct RegionPart;

// One polygon of a region: its outer ring first, with a positive signed (shoelace) area
// in pixel coordinates, y down, then its holes, with negative ones. Each ring is closed,
// its last point its first.
struct RegionPolygon {
    std::vector<std::vector<PlanePoint>> rings;
};

// The region the parts bound (SiteRegions::boundaryOf) as polygons, a region that falls
// apart as several, the largest first, its arcs as polylines that no point of an arc
// lies farther than `tolerance` from. Parts are joined end to start where they meet
// within rounding, and where a region touches itself at a point the rings part there,
// so that each stays simple. Pieces shared by two regions become the same points in
// both.
std::vector<RegionPolygon> regionPolygons(std::span<const RegionPart> parts, double tolerance);

// The parts reordered into closed loops, one after another, each part's end the next
// one's start, joined as regionPolygons joins its rings; loopEnds says where each ends.
void joinLoops(std::vector<RegionPart>& parts, std::vector<std::uint32_t>& loopEnds);

// Appends the part as a polyline within `tolerance` of it: its first point and, along
// an arc, as many more as it needs; not its last point, which the next part begins with.
void appendPolyline(const RegionPart& part, double tolerance, std::vector<PlanePoint>& points);

}  // namespace voroquarn
