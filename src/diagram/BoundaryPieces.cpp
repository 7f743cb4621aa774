#include "diagram/BoundaryPieces.h"

#include <algorithm>
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

ClipArea BoundaryPiece::bounds() const
{
    ClipArea box{std::min(start.x, end.x), std::min(start.y, end.y), std::max(start.x, end.x), std::max(start.y, end.y)};
    if (shape == Shape::Arc) {
        // The arc's points farthest along each axis, where it passes them.
        for (int quarter = 0; quarter < 4; ++quarter) {
            const double angle = quarter * PI / 2;
            if (std::remainder(angle - startAngle - sweep / 2, 2 * PI) > sweep / 2 ||
                std::remainder(angle - startAngle - sweep / 2, 2 * PI) < -sweep / 2) {
                continue;
            }
            const double x = centre.x + radius * std::cos(angle);
            const double y = centre.y + radius * std::sin(angle);
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
        }
    }
    return box;
}

std::vector<BoundaryPiece> boundaryPieces(const SiteArrays& sites, const ClipArea& area)
{
    WeightedDiagram diagram(sites, area);
    diagram.buildAll();
    return diagram.pieces();
}

}  // namespace voroquarn
