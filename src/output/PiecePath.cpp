#include "output/PiecePath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace voroquarn {

namespace {

// The most a cubic curve of an arc may stray from the circle, in pixels.
constexpr double MAX_DEVIATION = 1e-4;

// Appends the arc as cubic curves, parts of at most 90 degrees short enough that none
// strays more than MAX_DEVIATION from the circle. A part of angle a with its control
// points on the end tangents, (4/3) tan(a/4) r from the ends, strays by at most about
// r a^6 / 55296 (2.7e-4 r at 90 degrees). Each part is formed from its own end points
// and the directions to the centre, so that a faraway centre's rounding stays out of
// it. QPainterPath::arcTo cuts its curves from a quarter of the whole circle instead:
// 2.7e-4 of the radius off, which is 0.27 px at a radius of 1000 px and hundreds of
// thousands of pixels for the nearly flat circles of weights one float apart.
void appendArc(QPainterPath& path, const BoundaryPiece& arc, bool reversed)
{
    const double maxAngle = std::min(std::numbers::pi / 2, std::pow(MAX_DEVIATION * 55296 / arc.radius, 1.0 / 6));
    const int parts = static_cast<int>(std::clamp(std::ceil(arc.sweep / maxAngle), 1.0, 64.0));
    const double k = 4.0 / 3 * std::tan(arc.sweep / parts / 4);
    // The tangent at p along growing angles, as long as the radius: p - centre turned
    // by +90 degrees (clockwise on screen).
    const auto tangent = [&](PlanePoint p) { return QPointF(arc.centre.y - p.y, p.x - arc.centre.x); };
    // Backwards, the same points from the end, along tangents turned round.
    const double turn = reversed ? -1 : 1;
    PlanePoint from = reversed ? arc.end : arc.start;
    for (int n = 1; n <= parts; ++n) {
        const double t = static_cast<double>(reversed ? parts - n : n) / parts;
        const PlanePoint to = n == parts ? (reversed ? arc.start : arc.end) : arc.pointAt(t);
        const QPointF a(from.x, from.y);
        const QPointF b(to.x, to.y);
        path.cubicTo(a + turn * k * tangent(from), b - turn * k * tangent(to), b);
        from = to;
    }
}

}  // namespace

void appendPiece(QPainterPath& path, const BoundaryPiece& piece) { appendPart(path, piece, false); }

void appendPart(QPainterPath& path, const BoundaryPiece& piece, bool reversed)
{
    if (piece.shape == BoundaryPiece::Shape::Arc) {
        appendArc(path, piece, reversed);
    } else {
        const PlanePoint to = reversed ? piece.start : piece.end;
        path.lineTo(to.x, to.y);
    }
}

QPainterPath piecesPath(std::span<const BoundaryPiece> pieces)
{
    QPainterPath path;
    for (const BoundaryPiece& piece : pieces) {
        path.moveTo(piece.start.x, piece.start.y);
        appendPiece(path, piece);
    }
    return path;
}

}  // namespace voroquarn
