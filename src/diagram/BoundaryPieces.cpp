#include "diagram/BoundaryPieces.h"

#include <cmath>
#include <numbers>

#include "diagram/WeightedDiagram.h"

namespace voroquarn {

namespace {

constexpr double PI = std::numbers::pi;

}  // namespace

bool BoundaryPiece::largeArc() const { return sweep > PI; }

PlanePoint BoundaryPiece::pointAt(double t) const
{
    if (shape == Shape::Segment) {
        return {start.x + (end.x - start.x) * t, start.y + (end.y - start.y) * t};
    }
    // start turned about the centre by a: start + (cos a - 1) r + sin a r', where r is
    // start - centre and r' is r turned by +90 degrees. Both factors are small where the
    // arc is short, so the rounding of a faraway centre does not reach the point.
    const double a = sweep * t;
    const double half = std::sin(a / 2);
    const double cosMinusOne = -2 * half * half;
    const double s = std::sin(a);
    const double rx = start.x - centre.x;
    const double ry = start.y - centre.y;
    return {start.x + cosMinusOne * rx - s * ry, start.y + cosMinusOne * ry + s * rx};
}

std::vector<BoundaryPiece> boundaryPieces(const SiteArrays& sites, const ClipArea& area)
{
    WeightedDiagram diagram(sites, area);
    diagram.buildAll();
    return diagram.pieces();
}

}  // namespace voroquarn
