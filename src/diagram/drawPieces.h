#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/Steps.h"
#include "diagram/BoundaryPieces.h"

namespace voroquarn {

class DrawingSurface;
class Progress;

// The boundaries drawn smoothly along their exact pieces, as the eye follows them: the
// pieces in order, each in stretches of about SMOOTH_STEP pixels from its start to its
// end, one stretch a step, each an antialiased line (drawSmoothLine) through points on the
// piece so close together that no chord strays more than CHORD_ERROR pixels from an arc.
// `progress`, if any, is told every few thousand pieces how far the drawing is. The
// pieces are taken by value: the drawing may run long after the call.
Steps drawPieces(DrawingSurface& window, std::vector<BoundaryPiece> pieces, Progress* progress = nullptr);

// How many steps drawPieces takes for these pieces.
std::int64_t pieceSteps(std::span<const BoundaryPiece> pieces);

inline constexpr double SMOOTH_STEP = 3;
inline constexpr double CHORD_ERROR = 0.02;

}  // namespace voroquarn
