#include "diagram/BisectorCurve.h"

#include <cmath>
#include <limits>

#include "diagram/ApolloniusCircle.h"
#include "diagram/SiteArrays.h"
#include "diagram/dist.h"

namespace voroquarn {

BisectorCurve bisectorCurve(const SiteArrays& sites, int i, int j, double d, double R)
{
    const double xi = sites.x[i - 1];
    const double yi = sites.y[i - 1];
    const double wi = sites.w[i - 1];
    const double wj = sites.w[j - 1];
    const double dx = sites.x[j - 1] - xi;
    const double dy = sites.y[j - 1] - yi;
    const double t = wi / (wi + wj);
    return {
        .px = xi + dx * t,
        .py = yi + dy * t,
        .ux = dx / d,
        .uy = dy / d,
        .curvature = 1 / R,
        .radius = R,
    };
}

std::optional<BisectorCurve> bisectorCurve(const SiteArrays& sites, int i, int j)
{
    const double d = dist(sites.x[i - 1], sites.y[i - 1], sites.x[j - 1], sites.y[j - 1]);
    const double wi = sites.w[i - 1];
    const double wj = sites.w[j - 1];
    const bool straight = wi == wj;
    // The circle's radius as apolloniusCircle forms it, bit for bit.
    const double R = straight ? std::numeric_limits<double>::infinity() : d * (wi * wj / (wj * wj - wi * wi));
    if (!(d > 0 && std::isfinite(d) && R > 0 && (straight || std::isfinite(R)))) {
        return std::nullopt;
    }
    const BisectorCurve curve = bisectorCurve(sites, i, j, d, R);
    if (!(std::isfinite(curve.px) && std::isfinite(curve.py) && std::isfinite(curve.ux) &&
          std::isfinite(curve.uy) && std::isfinite(curve.curvature))) {
        return std::nullopt;
    }
    return curve;
}

}  // namespace voroquarn
