#include "diagram/traceBisector.h"

#include <cmath>
#include <limits>

#include "diagram/ApolloniusCircle.h"
#include "diagram/BoundaryTest.h"
#include "diagram/StraightBisector.h"
#include "diagram/sweep.h"

namespace voroquarn {

namespace {

constexpr double UNBOUNDED = std::numeric_limits<double>::infinity();
constexpr ClipArea PLANE{-UNBOUNDED, -UNBOUNDED, UNBOUNDED, UNBOUNDED};

// No window reaches this far from its origin (it is Qt's largest window size, and where
// single precision stops telling pixels apart). A nearly flat circle puts half of its
// candidates billions of pixels away; testing them could not change the picture.
constexpr double FARTHEST_PIXEL = 16777216.0;

// Where a tracing draws: the columns and rows its sweeps step through, and the points it
// may plot. The whole plane for a pair traced whole; a cell of the diagram otherwise.
struct Reach {
    double firstColumn = -UNBOUNDED;
    double lastColumn = UNBOUNDED;
    double firstRow = -UNBOUNDED;
    double lastRow = UNBOUNDED;
    OwnedBox owned{PLANE, PLANE};
};

Reach cellReach(const OwnedBox& cell, const ClipArea& pieces)
{
    Reach reach;
    reach.owned = cell;
    const OwnedWhole columns = cell.columns();
    const OwnedWhole rows = cell.rows();
    reach.firstColumn = std::max(columns.first, std::floor(pieces.left) - 1);
    reach.lastColumn = std::min(columns.last, std::ceil(pieces.right) + 1);
    reach.firstRow = std::max(rows.first, std::floor(pieces.top) - 1);
    reach.lastRow = std::min(rows.last, std::ceil(pieces.bottom) + 1);
    return reach;
}

// Plots the candidate points of one pair that pass its boundary test.
class BoundaryPlotter {
public:
    BoundaryPlotter(DrawingSurface& window, BoundaryTest test, const Reach& reach)
        : window_(window), test_(std::move(test)), reach_(reach)
    {
    }

    void plotIfBoundary(double px, double py) const
    {
        if (!(std::abs(px) < FARTHEST_PIXEL && std::abs(py) < FARTHEST_PIXEL)) {
            return;  // also every NaN
        }
        if (reach_.owned.owns(px, py) && test_.isBoundaryPoint(px, py)) {
            window_.setPixel(static_cast<float>(px), static_cast<float>(py), WHITE);
        }
    }

    const Reach& reach() const { return reach_; }

private:
    DrawingSurface& window_;
    BoundaryTest test_;
    Reach reach_;
};

constexpr double NO_SWEEP = -UNBOUNDED;  // as a last coordinate: nothing to step through

// Different weights: the bisector is a circle, swept over the columns and rows it spans.
SweepRanges circleRanges(const ApolloniusCircle& c)
{
    return {std::floor(c.left()), std::floor(c.right()), std::floor(c.top()), std::floor(c.bottom())};
}

// Equal weights: the bisector is a straight line, met once per column unless it is
// vertical and once per row unless it is horizontal.
SweepRanges lineRanges(const StraightBisector& line)
{
    return {0.0, line.crossesColumns() ? UNBOUNDED : NO_SWEEP, 0.0, line.crossesRows() ? UNBOUNDED : NO_SWEEP};
}

// The ranges where a tracing draws: those of its bisector within its reach.
SweepRanges within(const SweepRanges& ranges, const Reach& reach)
{
    return {std::max(ranges.firstColumn, reach.firstColumn), std::min(ranges.lastColumn, reach.lastColumn),
            std::max(ranges.firstRow, reach.firstRow), std::min(ranges.lastRow, reach.lastRow)};
}

// The column sweep yields the circle's upper and lower point in every column, the row
// sweep its right and left point in every row: where the circle is steep the columns
// leave gaps, and the rows fill them.
Steps traceCircle(DrawingSurface& window, const BoundaryPlotter& plotter, const ApolloniusCircle c)
{
    const SweepRanges ranges = within(circleRanges(c), plotter.reach());
    co_await sweep(window, SweepAxis::Columns, ranges.firstColumn, ranges.lastColumn, [&](double X) {
        const ApolloniusCircle::Pair y = c.yInColumn(X);
        if (y.first == y.second) [[unlikely]] {
            const PlanePoint p = c.withinAPixel({X, y.first});
            plotter.plotIfBoundary(p.x, p.y);
            plotter.plotIfBoundary(p.x, p.y);
            return;
        }
        plotter.plotIfBoundary(X, y.first);
        plotter.plotIfBoundary(X, y.second);
    });
    co_await sweep(window, SweepAxis::Rows, ranges.firstRow, ranges.lastRow, [&](double Y) {
        const ApolloniusCircle::Pair x = c.xInRow(Y);
        if (x.first == x.second) [[unlikely]] {
            const PlanePoint p = c.withinAPixel({x.first, Y});
            plotter.plotIfBoundary(p.x, p.y);
            plotter.plotIfBoundary(p.x, p.y);
            return;
        }
        plotter.plotIfBoundary(x.first, Y);
        plotter.plotIfBoundary(x.second, Y);
    });
}

Steps traceLine(DrawingSurface& window, const BoundaryPlotter& plotter, const StraightBisector line)
{
    const SweepRanges ranges = within(lineRanges(line), plotter.reach());
    co_await sweep(window, SweepAxis::Columns, ranges.firstColumn, ranges.lastColumn,
                   [&](double X) { plotter.plotIfBoundary(X, line.yAt(X)); });
    co_await sweep(window, SweepAxis::Rows, ranges.firstRow, ranges.lastRow,
                   [&](double Y) { plotter.plotIfBoundary(line.xAt(Y), Y); });
}

bool isStraight(const SiteArrays& sites, int i, int j) { return sites.w[i - 1] == sites.w[j - 1]; }

Steps tracePair(DrawingSurface& window, const SiteArrays& sites, int i, int j, BoundaryPlotter plotter)
{
    if (isStraight(sites, i, j)) {
        co_await traceLine(window, plotter, StraightBisector(sites, i, j));
    } else {
        co_await traceCircle(window, plotter, apolloniusCircle(sites, i, j));
    }
}

}  // namespace

Steps traceBisector(DrawingSurface& window, const SiteArrays sites, int i, int j)
{
    co_await tracePair(window, sites, i, j, BoundaryPlotter(window, BoundaryTest(sites, i, j), Reach{}));
}

Steps traceBisectorInCell(DrawingSurface& window, const SiteArrays& sites, int i, int j, const OwnedBox& cell,
                          const ClipArea& pieces, std::span<const std::int32_t> candidates)
{
    return tracePair(window, sites, i, j,
                     BoundaryPlotter(window, BoundaryTest(sites, i, j, candidates), cellReach(cell, pieces)));
}

std::int64_t SweepRanges::steps(const SweepExtents& extents) const
{
    return sweepSteps(firstColumn, lastColumn, extents.columns) + sweepSteps(firstRow, lastRow, extents.rows);
}

TracingSteps::TracingSteps(const SiteArrays& sites, int i, int j)
    : ranges_(isStraight(sites, i, j) ? lineRanges(StraightBisector(sites, i, j))
                                      : circleRanges(apolloniusCircle(sites, i, j)))
{
}

std::int64_t TracingSteps::whole(const SweepExtents& extents) const { return ranges_.steps(extents); }

std::int64_t TracingSteps::inCell(const OwnedBox& cell, const ClipArea& pieces, const SweepExtents& extents) const
{
    return within(ranges_, cellReach(cell, pieces)).steps(extents);
}

}  // namespace voroquarn
