#include "diagram/drawPieces.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/DrawingSurface.h"
#include "core/Progress.h"

namespace voroquarn {

namespace {

// The most chords a stretch of an arc is drawn with.
constexpr double MAX_CHORDS = 64;

// The stretches a piece is drawn in.
std::int64_t stretchesOf(const BoundaryPiece& piece)
{
    const double length = piece.shape == BoundaryPiece::Shape::Arc
                              ? piece.radius * piece.sweep
                              : std::hypot(piece.end.x - piece.start.x, piece.end.y - piece.start.y);
    // At least one; a NaN length, which no piece has, gives one as well.
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::ceil(std::min(length / SMOOTH_STEP, 1e9))));
}

// The chords a stretch of an arc through `angle` radians needs: a chord through b radians
// strays r (1 - cos(b / 2)) from its arc.
int chordsOf(const BoundaryPiece& piece, double angle)
{
    if (piece.shape != BoundaryPiece::Shape::Arc) {
        return 1;
    }
    const double cosine = 1 - CHORD_ERROR / piece.radius;
    const double chordAngle = cosine > -1 ? 2 * std::acos(cosine) : std::numbers::pi;
    return static_cast<int>(std::clamp(std::ceil(angle / chordAngle), 1.0, MAX_CHORDS));
}

}  // namespace

std::int64_t pieceSteps(std::span<const BoundaryPiece> pieces)
{
    std::int64_t steps = 0;
    for (const BoundaryPiece& piece : pieces) {
        steps += stretchesOf(piece);
    }
    return steps;
}

Steps drawPieces(DrawingSurface& window, const std::vector<BoundaryPiece> pieces, Progress* progress)
{
    std::vector<PlanePoint> points;
    points.reserve(static_cast<std::size_t>(MAX_CHORDS) + 1);
    ItemsDone drawn(progress, RunPhase::Drawing, pieces.size());
    for (const BoundaryPiece& piece : pieces) {
        ++drawn;
        const std::int64_t stretches = stretchesOf(piece);
        const int chords = chordsOf(piece, piece.sweep / static_cast<double>(stretches));
        for (std::int64_t k = 0; k < stretches; ++k) {
            co_yield Steps::Step{};
            points.clear();
            for (int c = 0; c <= chords; ++c) {
                const double t = (static_cast<double>(k) + static_cast<double>(c) / chords) / static_cast<double>(stretches);
                points.push_back(k + 1 == stretches && c == chords ? piece.end : piece.pointAt(t));
            }
            window.drawSmoothLine(points, WHITE);
        }
    }
}

}  // namespace voroquarn
