#include "sites/makeSites.h"

#include <cassert>

#include "window/DrawingSurface.h"
#include "window/Int.h"
#include "window/RandomSource.h"
#include "window/WindowMetrics.h"

namespace voroquarn {

namespace {

constexpr float MARKER_RADIUS = 3.0F;
constexpr float MARKER_ASPECT = 1.0F;

// A coordinate in [MARGIN, extent - MARGIN) for an outer extent given in twips. The span
// is formed in double precision; for windows narrower than two margins it is negative
// and the same formula applies.
double coordinateWithin(float extentTwips, float r)
{
    const double extentPixels = static_cast<double>(extentTwips) / TWIPS_PER_PIXEL;
    return (extentPixels - 2 * MARGIN) * static_cast<double>(r) + MARGIN;
}

}  // namespace

void drawSiteMarker(DrawingSurface& window, double x, double y, float w)
{
    window.Circle(static_cast<float>(x), static_cast<float>(y), MARKER_RADIUS, window.ForeColor(),
                  MARKER_ASPECT);
    window.Print(static_cast<double>(Int(w)));
}

void makeSites(DrawingSurface& window, RandomSource& random, SiteArrays& sites)
{
    // r * 6 is exact in double precision, and below 6 for every draw: 4 to 9 sites.
    const double r = random.RandomNext();
    sites.N = static_cast<std::int16_t>(Int(r * 6) + 4);

    for (std::int16_t k = 1; k <= sites.N; ++k) {
        const int at = k - 1;
        sites.x[at] = coordinateWithin(window.Width(), random.RandomNext());
        sites.y[at] = coordinateWithin(window.Height(), random.RandomNext());
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
