#include "app/drawDiagram.h"

#include "boundary/traceBisector.h"
#include "sites/SiteArrays.h"
#include "sites/hSort.h"
#include "sites/makeSites.h"
#include "window/DrawingSurface.h"
#include "window/RandomSource.h"

namespace voroquarn {

RunEnd drawDiagram(DrawingSurface& window, RandomSource& random)
{
    SiteArrays sites;

    window.Show();
    random.Randomize();
    window.Refresh();
    window.setForeColor(WHITE);

    makeSites(window, random, sites);
    hSort(sites.N, sites.w, sites.x, sites.y);

    const bool finished =
        forEachPair(sites.N, [&](int i, int j) { return traceBisector(window, sites, i, j); });
    return finished ? RunEnd::Finished : RunEnd::WindowClosed;
}

}  // namespace voroquarn
