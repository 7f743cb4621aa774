#include "diagram/makeSites.h"

#include <algorithm>
#include <cassert>

#include "core/DrawingSurface.h"
#include "core/Int.h"
#include "core/RandomSource.h"
#include "core/WindowMetrics.h"

namespace voroquarn {

namespace {

constexpr float MARKER_ASPECT = 1.0F;

// A coordinate in [near, extent - far) for an extent given in twips. The span is formed
// in double precision; for windows narrower than the two margins it is negative and the
// same formula applies.
double coordinateWithin(float extentTwips, double near, double far, float r)
{
    const double extentPixels = static_cast<double>(extentTwips) / TWIPS_PER_PIXEL;
    return (extentPixels - (near + far)) * static_cast<double>(r) + near;
}

}  // namespace

void drawSiteMarker(DrawingSurface& window, double x, double y, float w)
{
    window.Circle(static_cast<float>(x), static_cast<float>(y), MARKER_RADIUS, window.ForeColor(),
                  MARKER_ASPECT);
    window.Print(static_cast<double>(Int(w)));
}

SiteMargins marginsHolding(const SiteMargins& marker, double scale)
{
    const double least = MARGIN * scale;
    return {std::max(least, -marker.left), std::max(least, -marker.top),
            std::max(least, marker.right), std::max(least, marker.bottom)};
}

void makeSites(DrawingSurface& window, RandomSource& random, SiteArrays& sites,
               const SiteMargins& margins)
{
    // r * 6 is exact in double precision, and below 6 for every draw: 4 to 9 sites.
    const double r = random.RandomNext();
    sites.N = static_cast<std::int16_t>(Int(r * 6) + 4);

    for (std::int16_t k = 1; k <= sites.N; ++k) {
        const int at = k - 1;
        // Each draw comes before its size read. Written as one call, the order would be
        // the compiler's choice: C++ leaves the order of a call's arguments open.
        const float rx = random.RandomNext();
        sites.x[at] = coordinateWithin(window.Width(), margins.left, margins.right, rx);
        const float ry = random.RandomNext();
        sites.y[at] = coordinateWithin(window.Height(), margins.top, margins.bottom, ry);
        sites.w[at] = static_cast<float>(static_cast<double>(random.RandomNext()) * 999 + 1);
        drawSiteMarker(window, sites.x[at], sites.y[at], sites.w[at]);
    }
}

}  // namespace voroquarn

namespace voroquarn {

void placeSites(DrawingSurface& window, std::span<const Site> given, SiteArrays& sites)
{
    assert(given.size() <= static_cast<std::size_t>(MAX_SITES));
    sites.N = 0;
    for (const Site& site : given.first(std::min(given.size(), static_cast<std::size_t>(MAX_SITES)))) {
        const int at = sites.N;
        sites.x[at] = site.x;
        sites.y[at] = site.y;
        sites.w[at] = site.w;
        ++sites.N;
        drawSiteMarker(window, site.x, site.y, site.w);
    }
}

}  // namespace voroquarn
