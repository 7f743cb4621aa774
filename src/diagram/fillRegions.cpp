#include "diagram/fillRegions.h"

#include <cmath>

#include "core/DrawingSurface.h"
#include "core/WindowMetrics.h"
#include "diagram/dist.h"

namespace voroquarn {

namespace {

// The site nearest to a pixel, and for how many more pixels of its row it stays so.
//
// A site's ratio changes by at most 1/w from one pixel to the next, so a gap g between
// another site's ratio and the nearest one's can close by at most the sum of their two
// slopes a pixel: the nearest site stays nearest for g / (1/wk + 1/ws) pixels. Within a
// region that is most of its row, so that a row costs a few evaluations for each region
// it crosses rather than one for every pixel; near a boundary the gaps are small and
// every pixel is evaluated. A margin far above the ratios' rounding keeps every pixel
// passed over exactly as a pixel-by-pixel labelling would have it.
class NearestSite {
public:
    explicit NearestSite(const SiteArrays& sites) : sites_(sites)
    {
        for (int k = 0; k < sites.N; ++k) {
            slope_[k] = 1.0 / sites.w[k];
        }
    }

    struct Found {
        int site;     // from 0
        double more;  // how many pixels to the right certainly have the same site
    };

    // At the pixel centre (x, y): the site of least distance over weight, the first of
    // them on a tie.
    Found at(double x, double y)
    {
        int nearest = 0;
        for (int k = 0; k < sites_.N; ++k) {
            ratio_[k] = dist(x, y, sites_.x[k], sites_.y[k]) / sites_.w[k];
            nearest = ratio_[k] < ratio_[nearest] ? k : nearest;
        }
        double more = HUGE_VAL;
        for (int k = 0; k < sites_.N; ++k) {
            if (k == nearest || isCopy(k, nearest)) {
                continue;  // a copy ties everywhere, and the first of them wins
            }
            const double gap = ratio_[k] - ratio_[nearest];
            const double margin = 1e-9 * (ratio_[k] + ratio_[nearest]);
            const double steps = (gap - margin) / (slope_[k] + slope_[nearest]);
            more = steps < more ? steps : more;
            if (!(more >= 1)) {
                return {nearest, 0};  // also NaN, from infinite ratios
            }
        }
        return {nearest, more};
    }

private:
    bool isCopy(int k, int l) const
    {
        return sites_.x[k] == sites_.x[l] && sites_.y[k] == sites_.y[l] && sites_.w[k] == sites_.w[l];
    }

    const SiteArrays& sites_;
    std::array<double, MAX_SITES> slope_{};
    std::array<double, MAX_SITES> ratio_{};
};

}  // namespace

Steps fillRegions(DrawingSurface& window, const SiteArrays sites, const std::array<Colour, MAX_SITES> colours)
{
    if (sites.N < 1) {
        co_return;
    }
    NearestSite nearest(sites);
    for (int row = 0;; ++row) {
        co_yield Steps::Step{};
        const double y = row;
        if (y > window.Height() / TWIPS_PER_PIXEL) {
            break;
        }
        const double extent = window.Width() / TWIPS_PER_PIXEL;
        // Columns 0 to last; one call for every run of pixels of one site.
        const int last = extent >= 0 ? static_cast<int>(extent) : 0;
        int runStart = 0;
        int runSite = -1;
        for (int column = 0; column <= last;) {
            const NearestSite::Found found = nearest.at(column, y);
            if (found.site != runSite) {
                if (runSite >= 0) {
                    window.FillBackground(row, runStart, column, colours[runSite]);
                }
                runStart = column;
                runSite = found.site;
            }
            const double ahead = std::floor(found.more);
            column = ahead < last - column ? column + static_cast<int>(ahead) + 1 : last + 1;
        }
        window.FillBackground(row, runStart, last + 1, colours[runSite]);
    }
}

}  // namespace voroquarn
