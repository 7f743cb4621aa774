#include "diagram/traceBisector.h"

#include <cmath>
#include <limits>

#include "core/Int.h"
#include "diagram/ApolloniusCircle.h"
#include "diagram/BoundaryTest.h"
#include "diagram/StraightBisector.h"
#include "diagram/sweep.h"

namespace voroquarn {

namespace {

constexpr double UNBOUNDED = std::numeric_limits<double>::infinity();

// No window reaches this far from its origin (it is Qt's largest window size, and where
// single precision stops telling pixels apart). A nearly flat circle puts half of its
// candidates billions of pixels away; testing them could not change the picture.
constexpr double FARTHEST_PIXEL = 16777216.0;

// Plots the candidate points of one pair that pass its boundary test.
class BoundaryPlotter {
public:
    BoundaryPlotter(DrawingSurface& window, const SiteArrays& sites, int i, int j)
        : window_(window), test_(sites, i, j)
    {
    }

    void plotIfBoundary(double px, double py) const
    {
        if (!(std::abs(px) < FARTHEST_PIXEL && std::abs(py) < FARTHEST_PIXEL)) {
            return;  // also every NaN
        }
        if (test_.isBoundaryPoint(px, py)) {
            window_.PSet(static_cast<float>(px), static_cast<float>(py), QBColor(15));
        }
    }

private:
    DrawingSurface& window_;
    BoundaryTest test_;
};

// Different weights: the bisector is a circle. The column sweep yields the circle's
// upper and lower point in every column, the row sweep its right and left point in
// every row: where the circle is steep the columns leave gaps, and the rows fill them.
Steps traceCircle(DrawingSurface& window, const BoundaryPlotter& plotter, const ApolloniusCircle c)
{
    co_await sweep(window, SweepAxis::Columns, Int(c.left()), Int(c.right()), [&](double X) {
        const ApolloniusCircle::Pair y = c.yInColumn(X);
        plotter.plotIfBoundary(X, y.first);
        plotter.plotIfBoundary(X, y.second);
    });
    co_await sweep(window, SweepAxis::Rows, Int(c.top()), Int(c.bottom()), [&](double Y) {
        const ApolloniusCircle::Pair x = c.xInRow(Y);
        plotter.plotIfBoundary(x.first, Y);
        plotter.plotIfBoundary(x.second, Y);
    });
}

// Equal weights: the bisector is a straight line, met once per column unless it is
// vertical and once per row unless it is horizontal.
Steps traceLine(DrawingSurface& window, const BoundaryPlotter& plotter, const StraightBisector line)
{
    if (line.crossesColumns()) {
        co_await sweep(window, SweepAxis::Columns, 0, UNBOUNDED,
                       [&](double X) { plotter.plotIfBoundary(X, line.yAt(X)); });
    }
    if (line.crossesRows()) {
        co_await sweep(window, SweepAxis::Rows, 0, UNBOUNDED,
                       [&](double Y) { plotter.plotIfBoundary(line.xAt(Y), Y); });
    }
}

}  // namespace

Steps traceBisector(DrawingSurface& window, const SiteArrays sites, int i, int j)
{
    const BoundaryPlotter plotter(window, sites, i, j);
    if (sites.w[i - 1] == sites.w[j - 1]) {
        co_await traceLine(window, plotter, StraightBisector(sites, i, j));
    } else {
        co_await traceCircle(window, plotter, apolloniusCircle(sites, i, j));
    }
}

}  // namespace voroquarn
