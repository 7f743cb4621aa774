#include "boundary/fillRegions.h"

#include "boundary/dist.h"
#include "window/DrawingSurface.h"
#include "window/WindowMetrics.h"

namespace voroquarn {

namespace {

// The index (from 0) of the site of least distance over weight at (x, y); ties go to
// the lower index.
int nearestSite(const SiteArrays& sites, double x, double y)
{
    int nearest = 0;
    double least = dist(x, y, sites.x[0], sites.y[0]) / sites.w[0];
    for (int k = 1; k < sites.N; ++k) {
        const double e = dist(x, y, sites.x[k], sites.y[k]) / sites.w[k];
        if (e < least) {
            least = e;
            nearest = k;
        }
    }
    return nearest;
}

}  // namespace

Steps fillRegions(DrawingSurface& window, const SiteArrays sites, const std::array<Colour, MAX_SITES> colours)
{
    if (sites.N < 1) {
        co_return;
    }
    for (int row = 0;; ++row) {
        co_yield Steps::Step{};
        const double y = row;
        if (y > window.Height() / TWIPS_PER_PIXEL) {
            break;
        }
        const double lastColumn = window.Width() / TWIPS_PER_PIXEL;
        // One call for every run of pixels of one site.
        int runStart = 0;
        int runSite = nearestSite(sites, 0, y);
        int column = 1;
        for (; column <= lastColumn; ++column) {
            const int site = nearestSite(sites, column, y);
            if (site != runSite) {
                window.FillBackground(row, runStart, column, colours[runSite]);
                runStart = column;
                runSite = site;
            }
        }
        window.FillBackground(row, runStart, column, colours[runSite]);
    }
}

}  // namespace voroquarn
