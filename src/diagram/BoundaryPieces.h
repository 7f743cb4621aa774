#pragma once

#include <vector>

#include "core/PlanePoint.h"

namespace voroquarn {

struct SiteArrays;

// The rectangle the pieces are clipped to, in pixel coordinates, edges included.
struct ClipArea {
    double left;
    double top;
    double right;
    double bottom;
};

// One visible piece of the diagram: a part of the bisector of sites i and j along which
// no third site is nearer in the weighted sense, inside the clip area.
//
// A segment is straight from start to end: the bisector of equal weights, or a piece of
// a circle that bends away from its chord by less than R * 2^-57 (it turns by less than
// 2^-27 rad), less than its centre and radius could place it in double precision.
//
// An arc runs along the circle about centre of the radius from start to end, through
// growing angles: with y down that is clockwise on screen. start and end lie on the
// circle to rounding. For an SVG path: "M start A radius radius 0 largeArc() 1 end".
// Qt's QPainterPath::arcTo strays from such an arc by about 2.7e-4 of its radius; the
// PDF writer builds its own cubic curves from pointAt instead. A full circle comes as
// two half circles.
struct BoundaryPiece {
    enum class Shape { Segment, Arc };

    int i = 0;  // the pair, counted from 1 in sorted order, i < j
    int j = 0;
    Shape shape = Shape::Segment;
    PlanePoint start{};
    PlanePoint end{};

    // Arcs only; zero for segments.
    PlanePoint centre{};
    double radius = 0;
    double startAngle = 0;  // of start seen from centre, atan2 in pixel coordinates, radians
    double sweep = 0;       // radians, 0 < sweep < 2 pi; a large arc beyond pi

    bool largeArc() const;

    // The point at the fraction t (0 to 1) of the piece, of its angle for an arc: start
    // at 0, end at 1. Formed from start by a rotation, so that it stays on the circle to
    // rounding also where the centre lies billions of pixels away.
    PlanePoint pointAt(double t) const;

    // The smallest box that holds the piece.
    ClipArea bounds() const;
};

// Every visible piece of the diagram of the sites 1..N, sorted by weight as the drawing
// run sorts them, clipped to the area: pair by pair in the order the run traces them,
// each pair's pieces along its bisector (WeightedDiagram finds them). A pair of sites at
// one place has no pieces, nor has a pair whose bisector is nowhere visible, nor an
// exact copy of a site: the first of the copies has the pieces.
std::vector<BoundaryPiece> boundaryPieces(const SiteArrays& sites, const ClipArea& area);

}  // namespace voroquarn
