#pragma once

#include "core/PlanePoint.h"
#include "diagram/BisectorCurve.h"

namespace voroquarn {

struct SiteArrays;

// The weighted bisector of two sites of different weight: the circle of points whose
// distances to the two sites are in the ratio of their weights. It encloses the lighter
// site and crosses the segment between the sites where it divides it as wi : wj.
struct ApolloniusCircle {
    double cx;
    double cy;
    double R;

    // The same circle described from its point between the sites. The sweeps take their
    // bounds and candidates from it where the circle is so large, or its sites so far out,
    // that cx + h could land only on a coarse grid of values: pixels away from the true
    // boundary for sites 10^9 px apart. Everywhere else they use cx, cy and R as formed.
    BisectorCurve near{};
    bool fromNearSide = false;

    // Half the length of the chord at the given offset from the centre, sqrt(R² - d²),
    // or 0 where the offset lies beyond the circle.
    double halfChordAt(double d) const;

    // The circle's extent, cx - R, cx + R, cy - R and cy + R: the sweeps' bounds.
    double left() const;
    double right() const;
    double top() const;
    double bottom() const;

    // The two points of the circle in column X, (X, first) and (X, second), first the
    // lower one on screen: cy + h and cy - h for the half chord h. Beyond the circle
    // both are (X, cy).
    struct Pair {
        double first;
        double second;
    };
    Pair yInColumn(double X) const
    {
        if (fromNearSide) [[unlikely]] {
            return yInColumnFromNearSide(X);
        }
        const double h = halfChordAt(X - cx);
        return {cy + h, cy - h};
    }
    // The two points in row Y, (first, Y) and (second, Y): cx + h and cx - h.
    Pair xInRow(double Y) const
    {
        if (fromNearSide) [[unlikely]] {
            return xInRowFromNearSide(Y);
        }
        const double h = halfChordAt(Y - cy);
        return {cx + h, cx - h};
    }

    // A sweep line that misses the circle gets the candidate (X, cy) or (cx, Y), up to a
    // pixel outside the circle. For a circle smaller than a pixel, whose pixel would then
    // lie up to 1.12 px from it, the circle's point nearest to the candidate stands in
    // wherever that is so; for larger ones the candidate stays as it always was (at
    // most 1.06 px off, and only at the first column or row).
    PlanePoint withinAPixel(PlanePoint missed) const;

private:
    Pair yInColumnFromNearSide(double X) const;
    Pair xInRowFromNearSide(double Y) const;
};

// The bisector circle of sites i and j (counted from 1), where w(i) < w(j).
ApolloniusCircle apolloniusCircle(const SiteArrays& sites, int i, int j);

}  // namespace voroquarn
