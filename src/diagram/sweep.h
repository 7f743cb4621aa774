#pragma once

#include "core/DrawingSurface.h"
#include "core/Steps.h"
#include "core/WindowMetrics.h"

namespace voroquarn {

enum class SweepAxis { Columns, Rows };

// Steps along one axis through the integral coordinates lo, lo + 1, ... up to hi,
// calling step(coordinate) for each. Every step first yields to the window system once
// and then reads the window's extent along the axis afresh, so that a resize during the
// yield already counts for that step. Only steps inside the window are visited: the
// sweep starts at the first step at or past 0 and ends at the first step past the
// window's extent, so its length is bounded by the window whatever lo and hi are.
template <class Step>
Steps sweep(DrawingSurface& window, SweepAxis axis, double lo, double hi, Step step)
{
    // lo is integral, so 0 lies on the lattice lo, lo + 1, ... whenever lo < 0. The
    // negated test also starts a NaN bound at 0; a NaN hi ends the sweep at once.
    for (double at = lo >= 0 ? lo : 0.0; at <= hi; at += 1) {
        co_yield Steps::Step{};
        const float extentTwips = axis == SweepAxis::Columns ? window.Width() : window.Height();
        if (at > extentTwips / TWIPS_PER_PIXEL) {
            break;
        }
        step(at);
    }
}

}  // namespace voroquarn
