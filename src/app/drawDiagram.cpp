#include "app/drawDiagram.h"

#include "boundary/traceBisector.h"
#include "sites/SiteArrays.h"
#include "sites/hSort.h"
#include "sites/makeSites.h"
#include "window/DrawingSurface.h"
#include "window/RandomSource.h"

namespace voroquarn {

RunEnd drawDiagram(DrawingSurface& window, RandomSource& random, const RunSettings& settings)
{
    SiteArrays sites;

    window.Show();
    random.Randomize();
    window.Refresh();
    window.setForeColor(WHITE);

    if (settings.givenSites.empty()) {
        makeSites(window, random, sites);
    } else {
        placeSites(window, settings.givenSites, sites);
    }
    if (settings.onSitesPlaced) {
        settings.onSitesPlaced(sites);
    }
    hSort(sites.N, sites.w, sites.x, sites.y);

    const bool finished =
        forEachPair(sites.N, [&](int i, int j) { return traceBisector(window, sites, i, j); });
    return finished ? RunEnd::Finished : RunEnd::WindowClosed;
}

}  // namespace voroquarn
