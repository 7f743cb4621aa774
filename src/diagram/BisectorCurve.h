#pragma once

#include <optional>

namespace voroquarn {

struct SiteArrays;

// The weighted bisector of two sites described from its point between them, so that it
// stays exact however far out the sites lie and however large its circle: the point P
// where it crosses the segment from site i to site j (dividing it as wi : wj), the unit
// vector u from site i to site j (the curve's normal at P) and the curvature k = 1/R,
// zero for equal weights (a straight line). A point P + p lies on the curve exactly when
//     k |p|^2 + 2 p.u = 0,
// an equation whose terms stay of the size of p, where the centre form's terms are of
// the size of R. The curve bends towards site i: its centre is P - R u.
struct BisectorCurve {
    double px;
    double py;
    double ux;
    double uy;
    double curvature;  // 1 / radius; 0 for a line
    double radius;     // the circle's R as the tracing forms it; infinity for a line
};

// The curve of sites i and j (counted from 1) of distance d > 0, with the circle's
// radius R already formed (infinity for equal weights).
BisectorCurve bisectorCurve(const SiteArrays& sites, int i, int j, double d, double R);

// The curve of sites i < j (counted from 1, sorted by weight), or nothing where the two
// sites lie at one place (the bisector is a point, or for equal weights the whole plane)
// or the curve does not fit in double precision.
std::optional<BisectorCurve> bisectorCurve(const SiteArrays& sites, int i, int j);

}  // namespace voroquarn
