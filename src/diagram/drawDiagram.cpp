#include "diagram/drawDiagram.h"

#include "core/DrawingSurface.h"
#include "core/RandomSource.h"
#include "diagram/RegionColours.h"
#include "diagram/SiteArrays.h"
#include "diagram/fillRegions.h"
#include "diagram/hSort.h"
#include "diagram/makeSites.h"
#include "diagram/traceBisector.h"

namespace voroquarn {

SiteArrays placeRunSites(DrawingSurface& window, RandomSource& random, const RunSettings& settings)
{
    SiteArrays sites;

    window.Show();
    // With given sites nothing is drawn at random; the generator is still seeded here,
    // so that the steps keep their order whichever way the sites come.
    random.Randomize();
    window.Refresh();
    window.setForeColor(WHITE);

    if (settings.givenSites.empty()) {
        makeSites(window, random, sites, settings.margins);
    } else {
        placeSites(window, settings.givenSites, sites);
    }
    if (settings.onSitesPlaced) {
        settings.onSitesPlaced(sites);
    }
    return sites;
}

Steps drawDiagram(DrawingSurface& window, RandomSource& random, RunSettings settings)
{
    SiteArrays sites = placeRunSites(window, random, settings);
    const SiteArrays placed = sites;
    hSort(sites.N, sites.w, sites.x, sites.y);

    // Filled only where the picture is still background, so that the markers stay
    // what the window has shown since they were drawn.
    if (settings.fill) {
        co_await fillRegions(window, sites, regionColours(placed, sites));
    }

    for (const auto [i, j] : SitePairs(sites.N)) {
        co_await traceBisector(window, sites, i, j);
    }
}

}  // namespace voroquarn
