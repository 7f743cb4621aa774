#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "sites/SiteFile.h"

namespace voroquarn {

class DrawingSurface;
class RandomSource;
struct SiteArrays;

// Where a run takes its sites from, and who hears of them.
struct RunSettings {
    // The sites to draw, in order; empty: 4 to 9 random sites.
    std::vector<Site> givenSites;
    // Called once the sites are placed and marked, in their order of placement.
    std::function<void(const SiteArrays&)> onSitesPlaced;
};

enum class RunEnd {
    Finished,      // every pair is drawn; the picture stands
    WindowClosed,  // the window was closed while the pairs were being drawn
};

// Visits every pair of the sites 1..N once, i < j, in the order (1,2), (1,3), ...,
// (1,N), (2,3), ..., (N-1,N). Stops early, returning false, when visit returns false.
template <class Visit>
bool forEachPair(std::int16_t N, Visit&& visit)
{
    for (std::int16_t i = 1; i <= N - 1; ++i) {
        const std::int32_t last = N;  // the inner bound is read once per row
        for (std::int32_t j = i + 1; j <= last; ++j) {
            if (!visit(static_cast<int>(i), static_cast<int>(j))) {
                return false;
            }
        }
    }
    return true;
}

// The whole drawing: shows the window, seeds the random numbers, clears the window,
// places and marks the sites, sorts them by weight and traces the bisector of every
// pair, lighter site first. Yields to the window system only inside the tracing.
RunEnd drawDiagram(DrawingSurface& window, RandomSource& random, const RunSettings& settings = {});

}  // namespace voroquarn
