#include "diagram/makeSites.h"

#include <algorithm>
#include <cmath>

#include "core/DrawingSurface.h"
#include "core/RandomSource.h"

namespace voroquarn {

namespace {

constexpr float MARKER_ASPECT = 1.0F;

// A coordinate in [near, extent - far) for an outer extent in pixels. The span is formed
// in double precision; for windows narrower than the two margins it is negative and the
// same formula applies.
double coordinateWithin(float extent, double near, double far, float r)
{
    return (static_cast<double>(extent) - (near + far)) * static_cast<double>(r) + near;
}

}  // namespace

void drawSiteMarker(DrawingSurface& window, double x, double y, float w, const SiteMarks& marks)
{
    if (marks.markers) {
        window.drawCircle(static_cast<float>(x), static_cast<float>(y), MARKER_RADIUS, window.drawingColour(),
                          MARKER_ASPECT);
    } else {
        window.moveTo(static_cast<float>(x), static_cast<float>(y));
    }
    if (marks.labels) {
        window.drawNumber(static_cast<double>(std::floor(w)));
    }
}

SiteMargins marginsHolding(const SiteMargins& marker, double scale)
{
    const double least = MARGIN * scale;
    return {std::max(least, -marker.left), std::max(least, -marker.top),
            std::max(least, marker.right), std::max(least, marker.bottom)};
}

void makeSites(DrawingSurface& window, RandomSource& random, SiteArrays& sites,
               const SiteMargins& margins, const SiteMarks& marks)
{
    // r * 6 is exact in double precision, and below 6 for every draw: 4 to 9 sites. A
    // given count still takes the draw, so that its sites start as the plain run's do.
    const double r = random.nextUniform();
    sites.resize(marks.count ? *marks.count : static_cast<std::int16_t>(std::floor(r * 6) + 4));

    for (std::int32_t k = 1; k <= sites.N; ++k) {
        const int at = k - 1;
        // Each draw comes before its size read. Written as one call, the order would be
        // the compiler's choice: C++ leaves the order of a call's arguments open.
        const float rx = random.nextUniform();
        sites.x[at] = coordinateWithin(window.outerWidth(), margins.left, margins.right, rx);
        const float ry = random.nextUniform();
        sites.y[at] = coordinateWithin(window.outerHeight(), margins.top, margins.bottom, ry);
        sites.w[at] = static_cast<float>(static_cast<double>(random.nextUniform()) * 999 + 1);
        if (marks.eachAsPlaced) {
            drawSiteMarker(window, sites.x[at], sites.y[at], sites.w[at], marks);
        }
    }
}

}  // namespace voroquarn

namespace voroquarn {

void placeSites(DrawingSurface& window, std::span<const Site> given, SiteArrays& sites, const SiteMarks& marks)
{
    sites.resize(0);
    for (const Site& site : given) {
        sites.add(site.x, site.y, site.w);
        if (marks.eachAsPlaced) {
            drawSiteMarker(window, site.x, site.y, site.w, marks);
        }
    }
}

}  // namespace voroquarn
