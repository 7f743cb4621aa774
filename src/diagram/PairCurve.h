#pragma once

#include <array>
#include <cmath>
#include <vector>

#include "diagram/BisectorCurve.h"
#include "diagram/BoundaryPieces.h"

namespace voroquarn {

// A function of the plane given about a curve's point P as F(P + p) = alpha |p|^2 +
// m.p + f0; the curve is split where such functions are zero.
struct PlaneFunction {
    double alpha;
    double mx;
    double my;
    double f0;
    // The size of the terms that m and f0 were summed from, which their rounding goes
    // with: 0 where they were formed exactly.
    double mSize = 0;
    double f0Size = 0;
};

// The real roots of a2 x^2 + a1 x + a0, formed without cancellation, into `roots`: how
// many; none when all coefficients vanish. Scaled first, so that no square overflows.
int quadraticRoots(double a2, double a1, double a0, std::array<double, 2>& roots);

// A plane function F along a curve: (1 + k^2 t^2) F at the curve's point of parameter t,
// the quadratic a2 t^2 + a1 t + a0, whose sign is F's.
struct AlongCurve {
    double a2;
    double a1;
    double a0;
    // The size of the terms each coefficient was summed from: a coefficient far smaller
    // than its size is rounding, of either sign.
    double size2 = 0;
    double size1 = 0;
    double size0 = 0;

    double at(double t) const { return (a2 * t + a1) * t + a0; }
    // What the value at t could be off by rounding is a small share of this.
    double scaleAt(double t) const
    {
        return std::max(std::abs(a2), size2) * t * t + std::max(std::abs(a1), size1) * std::abs(t) +
               std::max(std::abs(a0), size0);
    }
    // Its finite zeros, ascending: 0, 1 or 2 of them.
    int zeros(std::array<double, 2>& zeros) const;
};

// The bisector of a pair, its points P + (2 t v - 2 k t^2 u) / (1 + k^2 t^2) by one
// rational parameter t over all real numbers (u turned by +90 degrees is v): along a
// line (k = 0) the point 2t from P along v; around a circle the point at the angle
// phi = 2 atan(k t) about its centre from P, growing from u towards v, the point
// opposite P at t = +/- infinity. No trigonometry is needed to find or follow its
// stretches, and nothing loses precision for the flattest circles. Two cells that split
// the curve at their common edge get the same parameter there, bit for bit, so that
// pieces found cell by cell join exactly.
class PairCurve {
public:
    explicit PairCurve(const BisectorCurve& c) : c_(c), vx_(-c.uy), vy_(c.ux) {}

    bool straight() const { return c_.curvature == 0; }
    const BisectorCurve& geometry() const { return c_; }

    // The point of a finite parameter.
    PlanePoint at(double t) const
    {
        const double kt = c_.curvature * t;
        const double scale = 2 * t / (1 + kt * kt);
        return {c_.px + scale * (vx_ - kt * c_.ux), c_.py + scale * (vy_ - kt * c_.uy)};
    }

    // The point of any parameter, infinity included.
    PlanePoint pointAt(double t) const;

    // A parameter well inside the curve from `from` to `to` (from < to, either may be
    // infinite), where a third site's tie with the pair is far from zero unless it is
    // zero all along: around a circle about halfway in angle, since halfway in t lies
    // next to the far end of a long stretch, where the third may still seem to tie.
    double between(double from, double to) const;

    // F along the curve: (1 + k^2 t^2) F is a quadratic in t with no term that holds R.
    AlongCurve along(const PlaneFunction& f) const;
    // The parameters where F is zero along the curve, appended to zeros.
    void appendZeros(const PlaneFunction& f, std::vector<double>& zeros) const;

    // The smallest box that holds the curve from parameter `from` to `to` (from < to,
    // either may be infinite): its ends, and its points farthest along each axis where
    // it passes them, found without trigonometry.
    ClipArea bounds(double from, double to) const;

    // The piece of the curve from parameter `from` to `to` of the pair i, j (counted from
    // 1), an arc or, where it turns too little to tell from one, a segment. Around a
    // circle either may be infinite, and from > to is the piece that goes on from `from`
    // across the point opposite P to `to`.
    BoundaryPiece piece(int i, int j, double from, double to) const;

    // The zero set of w²|Q - S|² - ws²|Q - K|²: where the weighted distances to a site
    // S of weight ws and to a site K of weight w are equal.
    PlaneFunction tieOf(double sx, double sy, double ws, double kx, double ky, double w) const;

    // The edges of a box as functions, for its crossings: x - left, x - right,
    // y - top, y - bottom.
    std::array<PlaneFunction, 4> edgesOf(const ClipArea& box) const;

private:
    BisectorCurve c_;
    double vx_;
    double vy_;
};

}  // namespace voroquarn
