#include "diagram/ApolloniusCircle.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "core/nearestPixel.h"
#include "diagram/SiteArrays.h"
#include "diagram/dist.h"

namespace voroquarn {

namespace {

// Beyond this size of the products that form the centre, and of the radius, the sweeps
// work from the near side; below it the plain form rounds by at most a few units of
// 2^-12 px. Sites inside any window up to 10^5 px wide stay below it even with weights
// one float apart (their coordinates times wj²/(wj² - wi²) < 2^23); sites 10^7 px apart
// with such weights do not.
constexpr double NEAR_SIDE_SCALE = 0x1p40;

// Below this radius R² - d² is formed as written. Its rounding error grows with R², and
// near the circle's edge, where d is close to R, the error dominates the result: for
// R = 10^9 the half chord would be off by hundreds of pixels. (R - d)(R + d) is the same
// quantity without that cancellation. Circles that fit a window keep the plain form, so
// their candidates stay bit for bit as they are; beyond this radius the plain form
// would be off by more than a thousandth of a pixel.
constexpr double PLAIN_FORM_LIMIT = 65536.0;

// 1 + n for a component n of a unit vector whose other component is m, without the
// cancellation near n = -1 (there 1 + n = m² / (1 - n)).
double onePlus(double n, double m) { return n < 0 ? m * m / (1 - n) : 1 + n; }

// The offsets b of the circle's two points along one axis at offset a along the other,
// both from the near point: the roots of k b² + 2 nb b + a (k a + 2 na) = 0, where na
// and nb are the normal's components along the two axes. The root near the near point
// comes from the form without cancellation, the other from the roots' sum -2 nb / k.
// Beyond the circle both are the centre's offset -nb / k, as the clamped half chord
// gives the centre's coordinate. First the larger.
ApolloniusCircle::Pair nearSideOffsets(double a, double na, double nb, double k)
{
    const double c = a * (k * a + 2 * na);
    const double discriminant = nb * nb - k * c;
    if (!(discriminant > 0)) {
        const double centre = -nb / k;
        return {centre, centre};
    }
    const double nearRoot = -c / (nb + std::copysign(std::sqrt(discriminant), nb));
    const double farRoot = -2 * nb / k - nearRoot;
    return nearRoot > farRoot ? ApolloniusCircle::Pair{nearRoot, farRoot}
                              : ApolloniusCircle::Pair{farRoot, nearRoot};
}

}  // namespace

ApolloniusCircle apolloniusCircle(const SiteArrays& sites, int i, int j)
{
    const double xi = sites.x[i - 1];
    const double yi = sites.y[i - 1];
    const double wi = sites.w[i - 1];
    const double xj = sites.x[j - 1];
    const double yj = sites.y[j - 1];
    const double wj = sites.w[j - 1];
    assert(wi != wj);

    // The squares of single-precision weights are exact in double precision, so the
    // divisor is exact and is zero only for equal weights.
    const double divisor = wj * wj - wi * wi;
    const double A = wj * wj / divisor;
    const double B = wi * wi / divisor;
    // The product of the weights is formed in double precision too: rounded to single,
    // it would move nearly flat circles several pixels off the true boundary.
    const double C = wi * wj / divisor;
    const double d = dist(xi, yi, xj, yj);

    ApolloniusCircle circle{
        .cx = xi * A - xj * B,
        .cy = yi * A - yj * B,
        .R = d * C,
    };
    if (d > 0) {
        circle.near = bisectorCurve(sites, i, j, d, circle.R);
        const double scale = std::max(std::abs(xi), std::abs(yi)) * A +
                             std::max(std::abs(xj), std::abs(yj)) * B + circle.R;
        const BisectorCurve& n = circle.near;
        circle.fromNearSide = scale > NEAR_SIDE_SCALE && std::isfinite(n.px) && std::isfinite(n.py) &&
                              std::isfinite(n.radius) && n.curvature > 0 && std::isfinite(n.curvature);
    }
    return circle;
}

double ApolloniusCircle::halfChordAt(double d) const
{
    const double s = R < PLAIN_FORM_LIMIT ? R * R - d * d : (R - d) * (R + d);
    return s > 0 ? std::sqrt(s) : 0.0;
}

PlanePoint ApolloniusCircle::withinAPixel(PlanePoint missed) const
{
    if (!(R < 1)) {
        return missed;  // as the sweeps have always drawn it, a little beyond a pixel at worst
    }
    const double px = nearestPixel(static_cast<float>(missed.x));
    const double py = nearestPixel(static_cast<float>(missed.y));
    if (std::abs(std::hypot(px - cx, py - cy) - R) <= 1) {
        return missed;
    }
    const double dx = missed.x - cx;
    const double dy = missed.y - cy;
    const double length = std::hypot(dx, dy);
    return length > 0 ? PlanePoint{cx + R * dx / length, cy + R * dy / length} : PlanePoint{cx - R, cy};
}

// From the near side the extent is P -/+ R (1 +/- u), since the centre is P - R u.
double ApolloniusCircle::left() const
{
    return fromNearSide ? near.px - near.radius * onePlus(near.ux, near.uy) : cx - R;
}

double ApolloniusCircle::right() const
{
    return fromNearSide ? near.px + near.radius * onePlus(-near.ux, near.uy) : cx + R;
}

double ApolloniusCircle::top() const
{
    return fromNearSide ? near.py - near.radius * onePlus(near.uy, near.ux) : cy - R;
}

double ApolloniusCircle::bottom() const
{
    return fromNearSide ? near.py + near.radius * onePlus(-near.uy, near.ux) : cy + R;
}

ApolloniusCircle::Pair ApolloniusCircle::yInColumnFromNearSide(double X) const
{
    const Pair b = nearSideOffsets(X - near.px, near.ux, near.uy, near.curvature);
    return {near.py + b.first, near.py + b.second};
}

ApolloniusCircle::Pair ApolloniusCircle::xInRowFromNearSide(double Y) const
{
    const Pair a = nearSideOffsets(Y - near.py, near.uy, near.ux, near.curvature);
    return {near.px + a.first, near.px + a.second};
}

}  // namespace voroquarn
