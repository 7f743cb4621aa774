#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "diagram/SiteArrays.h"

namespace voroquarn::testing {

// The brute force for many sites: the nearest site to a point (least distance over
// weight, the first of a tie), found by looking at the sites in rings of buckets around
// the point until no farther ring can hold a nearer one. Independent of the program's
// own cells; as slow as the sites are unevenly spread, which tests can afford.
class SiteGrid {
public:
    SiteGrid(const SiteArrays& sites, double left, double top, double right, double bottom, int side)
        : sites_(sites), left_(left), top_(top), side_(side)
    {
        cellW_ = (right - left) / side;
        cellH_ = (bottom - top) / side;
        cells_.resize(static_cast<std::size_t>(side * side));
        for (std::int32_t k = 0; k < sites.N; ++k) {
            const auto at = static_cast<std::size_t>(k);
            maxWeight_ = std::max(maxWeight_, static_cast<double>(sites.w[at]));
            cells_[static_cast<std::size_t>(cellOf(sites.y[at], top_, cellH_) * side_ +
                                             cellOf(sites.x[at], left_, cellW_))]
                .push_back(k);
        }
    }

    double ratio(std::int32_t k, double x, double y) const
    {
        const auto at = static_cast<std::size_t>(k);
        return std::hypot(x - sites_.x[at], y - sites_.y[at]) / sites_.w[at];
    }

    // The nearest site and its ratio.
    std::pair<std::int32_t, double> nearest(double x, double y) const
    {
        const int cx = cellOf(x, left_, cellW_);
        const int cy = cellOf(y, top_, cellH_);
        std::int32_t best = -1;
        double least = std::numeric_limits<double>::infinity();
        for (int ring = 0; ring <= side_; ++ring) {
            // Every site beyond this ring is farther than ring - 1 cells away.
            const double beyond = std::max(0, ring - 1) * std::min(cellW_, cellH_) / maxWeight_;
            if (beyond > least) {
                break;
            }
            const auto visit = [&](int gx, int gy) {
                if (gx < 0 || gy < 0 || gx >= side_ || gy >= side_) {
                    return;
                }
                for (const std::int32_t k : cells_[static_cast<std::size_t>(gy * side_ + gx)]) {
                    const double r = ratio(k, x, y);
                    if (r < least || (r == least && k < best)) {
                        least = r;
                        best = k;
                    }
                }
            };
            // The ring's cells: its top and bottom rows, then its sides between them.
            for (int gx = cx - ring; gx <= cx + ring; ++gx) {
                visit(gx, cy - ring);
                if (ring > 0) {
                    visit(gx, cy + ring);
                }
            }
            for (int gy = cy - ring + 1; gy <= cy + ring - 1; ++gy) {
                visit(cx - ring, gy);
                visit(cx + ring, gy);
            }
        }
        return {best, least};
    }

private:
    int cellOf(double v, double from, double size) const
    {
        return static_cast<int>(std::clamp(std::floor((v - from) / size), 0.0, static_cast<double>(side_ - 1)));
    }

    const SiteArrays& sites_;
    double left_;
    double top_;
    int side_;
    double cellW_ = 1;
    double cellH_ = 1;
    double maxWeight_ = 0;
    std::vector<std::vector<std::int32_t>> cells_;
};

}  // namespace voroquarn::testing
