#include "diagram/fillRegions.h"

#include <cmath>
#include <limits>
#include <numeric>
#include <span>

#include "core/DrawingSurface.h"
#include "core/Progress.h"
#include "diagram/NearestSite.h"
#include "diagram/OwnersAlong.h"
#include "diagram/WeightedDiagram.h"
#include "diagram/sweep.h"

namespace voroquarn {

namespace {

// A fill goes down as far as the window reaches.
constexpr double UNBOUNDED_ROWS = std::numeric_limits<double>::infinity();

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

// The sites nearest along the rows of crowded cells, and what finding them reuses.
class RowEnvelope {
public:
    explicit RowEnvelope(const SiteArrays& sites) : sites_(sites) {}

    // Labels the columns from..to (from < to) of one row of a crowded cell: its
    // candidates' envelope along the row says who owns each run of pixels, and a pixel
    // whose centre lies where two tie is decided as labelColumns decides it.
    void label(NearestSite& nearest, RowRuns& runs, int from, int to, double y, std::span<const std::int32_t> candidates)
    {
        crowd_.clear();
        for (const std::int32_t k : candidates) {
            const auto at = static_cast<std::size_t>(k);
            crowd_.push_back({sites_.x[at], sites_.y[at], sites_.w[at]});
        }
        ownersAlong({static_cast<double>(from), y}, {static_cast<double>(to), y}, crowd_, candidates, owners_, scratch_);
        const double span = to - from;
        std::size_t run = 0;
        for (int column = from; column <= to; ++column) {
            const double share = (column - from) / span;
            while (owners_[run].to < share && run + 1 < owners_.size()) {
                ++run;
            }
            const bool atTie = std::abs(owners_[run].to - share) * span < NEAR_TIE ||
                               (run > 0 && std::abs(owners_[run - 1].to - share) * span < NEAR_TIE);
            runs.at(column, atTie ? nearest.at(column, y, candidates).site : owners_[run].site);
        }
    }

private:
    // Pixels whose centre lies this close to a change of owner are decided one by one.
    static constexpr double NEAR_TIE = 1e-6;

    const SiteArrays& sites_;
    std::vector<WeightedSite> crowd_;
    std::vector<OwnerRun> owners_;
    OwnersScratch scratch_;
};

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
    RowEnvelope envelope(diagram.sites());
    co_await sweep(window, SweepAxis::Rows, firstFilledRow(area), area.bottom, [&](double y) {
        report(progress, RunPhase::Filling, y / area.bottom);
        const double extent = std::min(sweepExtent(window, SweepAxis::Columns), area.right);
        const int last = extent >= 0 ? static_cast<int>(extent) : -1;
        RowRuns runs(window, colours, static_cast<int>(y));
        cells.forEachLeafInRow(y, [&](const SiteCells::Leaf& leaf) {
            const OwnedWhole columns = cells.owned(leaf).columns();
            const int from = std::max(0, static_cast<int>(columns.first));
            const int to = std::min(last, static_cast<int>(columns.last));
            if (from < to && leaf.crowded()) {
                envelope.label(nearest, runs, from, to, y, cells.candidates(leaf));
            } else if (from <= to && leaf.count > 0) {
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
