#include "diagram/fillRegions.h"

#include <cmath>
#include <limits>
#include <numeric>
#include <span>

#include "core/DrawingSurface.h"
#include "core/Progress.h"
#include "diagram/Nearer.h"
#include "diagram/WeightedDiagram.h"
#include "diagram/dist.h"
#include "diagram/sweep.h"

namespace voroquarn {

namespace {

// A fill goes down as far as the window reaches.
constexpr double UNBOUNDED_ROWS = std::numeric_limits<double>::infinity();

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
    explicit NearestSite(const SiteArrays& sites) : sites_(sites) {}

    struct Found {
        std::int32_t site;  // from 0
        double more;        // how many pixels to the right certainly have the same site
    };

    // At the pixel centre (x, y): the site of least distance over weight among the
    // candidates (ascending, from 0), the first of them on a tie.
    Found at(double x, double y, std::span<const std::int32_t> candidates)
    {
        ratio_.resize(candidates.size());
        std::size_t nearest = 0;
        for (std::size_t n = 0; n < candidates.size(); ++n) {
            const std::size_t k = static_cast<std::size_t>(candidates[n]);
            ratio_[n] = dist(x, y, sites_.x[k], sites_.y[k]) / sites_.w[k];
            const double best = ratio_[nearest];
            const double slack = std::isfinite(best) ? RATIO_TOLERANCE * best : 0;
            const bool certain = !(std::abs(ratio_[n] - best) <= slack);
            if (certain ? ratio_[n] < best
                        : n != nearest && nearer(x, y, site(candidates[n]), site(candidates[nearest])) == Nearer::First) {
                nearest = n;
            }
        }
        double more = HUGE_VAL;
        const std::int32_t best = candidates[nearest];
        const double slopeOfBest = 1.0 / sites_.w[static_cast<std::size_t>(best)];
        for (std::size_t n = 0; n < candidates.size(); ++n) {
            if (n == nearest || isCopy(candidates[n], best)) {
                continue;  // a copy ties everywhere, and the first of them wins
            }
            const double gap = ratio_[n] - ratio_[nearest];
            const double margin = 1e-9 * (ratio_[n] + ratio_[nearest]);
            const double slope = 1.0 / sites_.w[static_cast<std::size_t>(candidates[n])];
            const double steps = (gap - margin) / (slope + slopeOfBest);
            more = steps < more ? steps : more;
            if (!(more >= 1)) {
                return {best, 0};  // also NaN, from infinite ratios
            }
        }
        return {best, more};
    }

private:
    WeightedSite site(std::int32_t k) const
    {
        const auto at = static_cast<std::size_t>(k);
        return {sites_.x[at], sites_.y[at], sites_.w[at]};
    }
    bool isCopy(std::int32_t k, std::int32_t l) const
    {
        const auto a = static_cast<std::size_t>(k);
        const auto b = static_cast<std::size_t>(l);
        return sites_.x[a] == sites_.x[b] && sites_.y[a] == sites_.y[b] && sites_.w[a] == sites_.w[b];
    }

    const SiteArrays& sites_;
    std::vector<double> ratio_;
};

// Fills the run of one site's pixels, and starts the next.
class RowRuns {
public:
    RowRuns(DrawingSurface& window, const std::vector<Colour>& colours, int row)
        : window_(window), colours_(colours), row_(row)
    {
    }
    void at(int column, std::int32_t site)
    {
        if (site != site_) {
            end(column);
            start_ = column;
            site_ = site;
        }
    }
    void end(int column)
    {
        if (site_ >= 0) {
            window_.fillBackground(row_, start_, column, colours_[static_cast<std::size_t>(site_)]);
        }
        site_ = -1;
    }

private:
    DrawingSurface& window_;
    const std::vector<Colour>& colours_;
    int row_;
    int start_ = 0;
    std::int32_t site_ = -1;
};

// Labels the columns from..to of one row among the candidates, a run at a time.
void labelColumns(NearestSite& nearest, RowRuns& runs, int from, int to, double y,
                  std::span<const std::int32_t> candidates)
{
    for (int column = from; column <= to;) {
        const NearestSite::Found found = nearest.at(column, y, candidates);
        runs.at(column, found.site);
        const double ahead = std::floor(found.more);
        column = ahead < to - column ? column + static_cast<int>(ahead) + 1 : to + 1;
    }
}

// The rows a fill of many sites steps through: the area's, from row 0 on.
double firstFilledRow(const ClipArea& area) { return std::max(0, static_cast<int>(std::ceil(area.top))); }

}  // namespace

Steps fillRegions(DrawingSurface& window, const SiteArrays sites, const std::vector<Colour> colours, Progress* progress)
{
    if (sites.N < 1) {
        co_return;
    }
    NearestSite nearest(sites);
    std::vector<std::int32_t> all(static_cast<std::size_t>(sites.N));
    std::iota(all.begin(), all.end(), 0);
    co_await sweep(window, SweepAxis::Rows, 0, UNBOUNDED_ROWS, [&](double y) {
        report(progress, RunPhase::Filling, y / sweepExtent(window, SweepAxis::Rows));
        const double extent = sweepExtent(window, SweepAxis::Columns);
        // Columns 0 to last; one call for every run of pixels of one site.
        const int last = extent >= 0 ? static_cast<int>(extent) : 0;
        RowRuns runs(window, colours, static_cast<int>(y));
        labelColumns(nearest, runs, 0, last, y, all);
        runs.end(last + 1);
    });
}

Steps fillRegions(DrawingSurface& window, const WeightedDiagram& diagram, const std::vector<Colour> colours,
                  Progress* progress)
{
    const SiteCells& cells = diagram.cells();
    const ClipArea& area = cells.area();
    NearestSite nearest(diagram.sites());
    co_await sweep(window, SweepAxis::Rows, firstFilledRow(area), area.bottom, [&](double y) {
        report(progress, RunPhase::Filling, y / area.bottom);
        const double extent = std::min(sweepExtent(window, SweepAxis::Columns), area.right);
        const int last = extent >= 0 ? static_cast<int>(extent) : -1;
        RowRuns runs(window, colours, static_cast<int>(y));
        cells.forEachLeafInRow(y, [&](const SiteCells::Leaf& leaf) {
            // The columns whose centres the cell owns: from its left edge on, up to its
            // right edge, which belongs to the next cell but at the area's end.
            const int from = std::max(0, static_cast<int>(std::ceil(leaf.box.left)));
            const double right = leaf.box.right;
            const int to = std::min(last, static_cast<int>(right == area.right ? std::floor(right) : std::ceil(right) - 1));
            if (from <= to && leaf.count > 0) {
                labelColumns(nearest, runs, from, to, y, cells.candidates(leaf));
            }
        });
        runs.end(last + 1);
    });
}

std::int64_t fillSteps(const SweepExtents& extents)
{
    return sweepSteps(0, UNBOUNDED_ROWS, extents.rows);
}

std::int64_t fillSteps(const ClipArea& area, const SweepExtents& extents)
{
    return sweepSteps(firstFilledRow(area), area.bottom, extents.rows);
}

}  // namespace voroquarn
