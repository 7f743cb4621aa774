#pragma once

#include <QPainterPath>
#include <span>

#include "diagram/BoundaryPieces.h"

namespace voroquarn {

// Continues the path from the piece's start to its end: a line, or an arc as cubic
// curves that stray less than 1e-4 px from the circle, however large its radius
// (QPainterPath::arcTo strays by 2.7e-4 of the radius).
void appendPiece(QPainterPath& path, const BoundaryPiece& piece);

// The same from the piece's end to its start where `reversed`.
void appendPart(QPainterPath& path, const BoundaryPiece& piece, bool reversed);

// The pieces, each a subpath of its own.
QPainterPath piecesPath(std::span<const BoundaryPiece> pieces);

}  // namespace voroquarn
