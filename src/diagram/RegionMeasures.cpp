#include "diagram/RegionMeasures.h"

#include <algorithm>
#include <cmath>

#include "diagram/SiteRegions.h"

namespace voroquarn {

namespace {

// sweep - sin(sweep), by its series where the two nearly cancel.
double sweepBeyondSine(double sweep)
{
    if (sweep > 0.25) {
        return sweep - std::sin(sweep);
    }
    const double s2 = sweep * sweep;
    double term = sweep * s2 / 6;
    double sum = 0;
    for (int n = 4; n <= 12; n += 2) {
        sum += term;
        term *= -s2 / (n * (n + 1));
    }
    return sum;
}

}  // namespace

double lengthOf(const BoundaryPiece& piece)
{
    if (piece.shape == BoundaryPiece::Shape::Arc) {
        return piece.radius * piece.sweep;
    }
    return std::hypot(piece.end.x - piece.start.x, piece.end.y - piece.start.y);
}

double signedAreaOf(const RegionPart& part, PlanePoint origin)
{
    const PlanePoint a = part.from();
    const PlanePoint b = part.to();
    const double chord = ((a.x - origin.x) * (b.y - origin.y) - (a.y - origin.y) * (b.x - origin.x)) / 2;
    if (part.piece.shape != BoundaryPiece::Shape::Arc) {
        return chord;
    }
    // The arc bulges to the side away from its centre: the region holds the segment
    // when it lies inside the circle, walked through growing angles.
    const double segment = part.piece.radius * part.piece.radius / 2 * sweepBeyondSine(part.piece.sweep);
    return part.reversed ? chord - segment : chord + segment;
}

void measureRegion(std::span<const RegionPart> parts, RegionMeasure& measure)
{
    measure.area = 0;
    measure.perimeter = 0;
    measure.neighbours.clear();
    if (parts.empty()) {
        return;
    }
    const PlanePoint origin = parts.front().from();
    for (const RegionPart& part : parts) {
        measure.area += signedAreaOf(part, origin);
        const double length = lengthOf(part.piece);
        measure.perimeter += length;
        if (part.other >= 0 && length > SHORTEST_BOUNDARY) {
            measure.neighbours.push_back(part.other);
        }
    }
    std::sort(measure.neighbours.begin(), measure.neighbours.end());
    measure.neighbours.erase(std::unique(measure.neighbours.begin(), measure.neighbours.end()), measure.neighbours.end());
}

RegionMeasures measureRegions(const SiteArrays& sites, const ClipArea& area)
{
    SiteRegions regions(sites, area);
    RegionMeasures measures;
    measures.area.reserve(static_cast<std::size_t>(sites.N));
    measures.perimeter.reserve(static_cast<std::size_t>(sites.N));
    measures.firstNeighbour.reserve(static_cast<std::size_t>(sites.N) + 1);
    measures.firstNeighbour.push_back(0);
    std::vector<RegionPart> parts;
    RegionMeasure one;
    for (std::int32_t k = 0; k < sites.N; ++k) {
        regions.boundaryOf(k, parts);
        measureRegion(parts, one);
        measures.area.push_back(one.area);
        measures.perimeter.push_back(one.perimeter);
        measures.neighbours.insert(measures.neighbours.end(), one.neighbours.begin(), one.neighbours.end());
        measures.firstNeighbour.push_back(static_cast<std::uint32_t>(measures.neighbours.size()));
    }
    return measures;
}

}  // namespace voroquarn
