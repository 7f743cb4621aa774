#include "diagram/traceCellByLines.h"

#include <vector>

#include "core/DrawingSurface.h"
#include "diagram/OwnersAlong.h"
#include "diagram/sweep.h"

namespace voroquarn {

Steps traceCellByLines(DrawingSurface& window, const SiteArrays& sites, const SiteCells& cells,
                       const SiteCells::Leaf& leaf)
{
    std::vector<WeightedSite> crowd;
    std::vector<std::int32_t> ids;
    for (const std::int32_t k : cells.candidates(leaf)) {
        const auto at = static_cast<std::size_t>(k);
        crowd.push_back({sites.x[at], sites.y[at], sites.w[at]});
        ids.push_back(k);
    }
    OwnersScratch scratch;
    std::vector<OwnerRun> runs;
    const OwnedBox owned = cells.owned(leaf);
    const ClipArea& box = leaf.box;
    // Where the owner changes along the line from a to b, but at b itself unless the
    // line ends at the area's edge: the next cell has that point.
    const auto plotChanges = [&](PlanePoint a, PlanePoint b, bool closed) {
        ownersAlong(a, b, crowd, ids, runs, scratch);
        for (std::size_t n = 0; n + 1 < runs.size(); ++n) {
            const double s = runs[n].to;
            if (s < 1 || closed) {
                window.setPixel(static_cast<float>(a.x + s * (b.x - a.x)), static_cast<float>(a.y + s * (b.y - a.y)), WHITE);
            }
        }
    };
    const OwnedWhole columns = owned.columns();
    co_await sweep(window, SweepAxis::Columns, columns.first, columns.last,
                   [&](double X) { plotChanges({X, box.top}, {X, box.bottom}, owned.closedBottom); });
    const OwnedWhole rows = owned.rows();
    co_await sweep(window, SweepAxis::Rows, rows.first, rows.last,
                   [&](double Y) { plotChanges({box.left, Y}, {box.right, Y}, owned.closedRight); });
}

std::int64_t cellByLinesSteps(const SiteCells& cells, const SiteCells::Leaf& leaf, const SweepExtents& extents)
{
    const OwnedBox owned = cells.owned(leaf);
    const OwnedWhole columns = owned.columns();
    const OwnedWhole rows = owned.rows();
    return sweepSteps(columns.first, columns.last, extents.columns) + sweepSteps(rows.first, rows.last, extents.rows);
}

}  // namespace voroquarn
