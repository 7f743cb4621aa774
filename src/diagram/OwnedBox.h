#pragma once

#include <cmath>

#include "diagram/BoundaryPieces.h"

namespace voroquarn {

// The whole coordinates (pixel centres) owned along one axis, first to last.
struct OwnedWhole {
    double first;
    double last;
};

// The points a cell of an area owns: [left, right) x [top, bottom), and its right or
// bottom edge too where that is the area's own. A point, or a pixel, on the border of
// two cells belongs to one of them, and is drawn once.
struct OwnedBox {
    ClipArea box;
    bool closedRight;
    bool closedBottom;

    OwnedBox(const ClipArea& cell, const ClipArea& area)
        : box(cell), closedRight(cell.right == area.right), closedBottom(cell.bottom == area.bottom)
    {
    }

    bool owns(double x, double y) const
    {
        return x >= box.left && (x < box.right || (closedRight && x == box.right)) && y >= box.top &&
               (y < box.bottom || (closedBottom && y == box.bottom));
    }
    OwnedWhole columns() const { return owned(box.left, box.right, closedRight); }
    OwnedWhole rows() const { return owned(box.top, box.bottom, closedBottom); }

private:
    static OwnedWhole owned(double from, double to, bool closed)
    {
        return {std::ceil(from), closed ? std::floor(to) : std::ceil(to) - 1};
    }
};

}  // namespace voroquarn
