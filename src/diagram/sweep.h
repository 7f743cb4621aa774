#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/DrawingSurface.h"
#include "core/Steps.h"

namespace voroquarn {

enum class SweepAxis { Columns, Rows };

// The window's extent along the axis in pixels, where a sweep ends.
inline double sweepExtent(const DrawingSurface& window, SweepAxis axis)
{
    return axis == SweepAxis::Columns ? window.outerWidth() : window.outerHeight();
}

// The window's extent along both axes, as sweeps read it.
struct SweepExtents {
    double columns;
    double rows;
};

inline SweepExtents sweepExtents(const DrawingSurface& window)
{
    return {sweepExtent(window, SweepAxis::Columns), sweepExtent(window, SweepAxis::Rows)};
}

// The first coordinate a sweep from lo steps through.
inline double sweepStart(double lo)
{
    // lo is integral, so 0 lies on the lattice lo, lo + 1, ... whenever lo < 0. The
    // negated test also starts a NaN bound at 0.
    return lo >= 0 ? lo : 0.0;
}

// How many steps sweep() takes from lo to hi while the window's extent along its axis
// stays `extent` (sweepExtent): up to hi, and at most up to the first coordinate past
// the extent, whose step still yields.
inline std::int64_t sweepSteps(double lo, double hi, double extent)
{
    const double first = sweepStart(lo);
    if (!(first <= hi)) {
        return 0;  // also a NaN hi
    }
    const double pastExtent = extent >= first ? first + std::floor(extent - first) + 1 : first;
    return static_cast<std::int64_t>(std::floor(std::min(hi, pastExtent) - first)) + 1;
}

// Steps along one axis through the integral coordinates lo, lo + 1, ... up to hi,
// calling step(coordinate) for each. Every step first yields to the window system once
// and then reads the window's extent along the axis afresh, so that a resize during the
// yield already counts for that step. Only steps inside the window are visited: the
// sweep starts at the first step at or past 0 and ends at the first step past the
// window's extent, so its length is bounded by the window whatever lo and hi are.
template <class Step>
Steps sweep(DrawingSurface& window, SweepAxis axis, double lo, double hi, Step step)
{
    // A NaN hi ends the sweep at once.
    for (double at = sweepStart(lo); at <= hi; at += 1) {
        co_yield Steps::Step{};
        if (at > sweepExtent(window, axis)) {
            break;
        }
        step(at);
    }
}

}  // namespace voroquarn
