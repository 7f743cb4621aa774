#include "boundary/ApolloniusCircle.h"

#include <cassert>
#include <cmath>

#include "boundary/dist.h"
#include "sites/SiteArrays.h"

namespace voroquarn {

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

    const ApolloniusCircle circle{
        .cx = xi * A - xj * B,
        .cy = yi * A - yj * B,
        .R = dist(xi, yi, xj, yj) * C,
    };
    return circle;
}

}  // namespace voroquarn

namespace voroquarn {

namespace {

// Below this radius R² - d² is formed as written. Its rounding error grows with R², and
// near the circle's edge, where d is close to R, the error dominates the result: for
// R = 10^9 the half chord would be off by hundreds of pixels. (R - d)(R + d) is the same
// quantity without that cancellation. Circles that fit a window keep the plain form, so
// their candidates stay bit for bit as they are; beyond this radius the plain form
// would be off by more than a thousandth of a pixel.
constexpr double PLAIN_FORM_LIMIT = 65536.0;

}  // namespace

double ApolloniusCircle::halfChordAt(double d) const
{
    const double s = R < PLAIN_FORM_LIMIT ? R * R - d * d : (R - d) * (R + d);
    return s > 0 ? std::sqrt(s) : 0.0;
}

}  // namespace voroquarn
