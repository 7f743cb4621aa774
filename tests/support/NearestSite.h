#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "diagram/SiteArrays.h"
#include "diagram/dist.h"

namespace voroquarn::testing {

// The brute-force diagram: every pixel labelled with its nearest site. The tests compare
// the traced boundaries with it, and the benchmarks time the tracing against it.

// The weighted nearness of site k (counted from 0) at a point: distance over weight.
inline double weightedRatio(const SiteArrays& sites, int k, double x, double y)
{
    return dist(x, y, sites.x[k], sites.y[k]) / sites.w[k];
}

// Labels the pixel centres (x, y) of the area left <= x < left + width, top <= y < top
// + height, row by row, with the index (from 0) of the site of least ratio(k, x, y);
// ties go to the lower index.
template <class Ratio>
void labelNearestSites(const SiteArrays& sites, int left, int top, int width, int height,
                       Ratio&& ratio, std::vector<std::uint8_t>& labels)
{
    labels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::size_t at = 0;
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x, ++at) {
            int nearest = 0;
            double least = ratio(0, x, y);
            for (int k = 1; k < sites.N; ++k) {
                const double e = ratio(k, x, y);
                if (e < least) {
                    least = e;
                    nearest = k;
                }
            }
            labels[at] = static_cast<std::uint8_t>(nearest);
        }
    }
}

}  // namespace voroquarn::testing
