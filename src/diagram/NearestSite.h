#pragma once

#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "diagram/Nearer.h"
#include "diagram/SiteArrays.h"
#include "diagram/dist.h"

namespace voroquarn {

// The site nearest to a pixel, and for how many more pixels of its row it stays so: a
// ratio changes by at most 1/w a pixel, so a gap g to another site's closes no sooner
// than in g / (1/wk + 1/ws) pixels, and a row costs a few evaluations a region, not one
// a pixel. A margin far above the ratios' rounding keeps every pixel passed over as a
// pixel-by-pixel labelling has it.
class NearestSite {
public:
    explicit NearestSite(const SiteArrays& sites) : sites_(sites) {}

    struct Found {
        std::int32_t site;  // from 0
        double more;        // how many pixels to the right certainly have the same site
    };

    // At the pixel centre (x, y): the site of least distance over weight among the
    // candidates (ascending, from 0), the first of them on a tie.
    Found at(double x, double y, std::span<const std::int32_t> candidates)
    {
        ratio_.resize(candidates.size());
        std::size_t nearest = 0;
        for (std::size_t n = 0; n < candidates.size(); ++n) {
            const std::size_t k = static_cast<std::size_t>(candidates[n]);
            ratio_[n] = dist(x, y, sites_.x[k], sites_.y[k]) / sites_.w[k];
            if (n != nearest &&
                strictlyNearer(x, y, site(candidates[n]), ratio_[n], site(candidates[nearest]), ratio_[nearest])) {
                nearest = n;
            }
        }
        double more = HUGE_VAL;
        const std::int32_t best = candidates[nearest];
        const double slopeOfBest = 1.0 / sites_.w[static_cast<std::size_t>(best)];
        for (std::size_t n = 0; n < candidates.size(); ++n) {
            if (n == nearest ||
                sameSite(sites_, static_cast<std::size_t>(candidates[n]), static_cast<std::size_t>(best))) {
                continue;  // a copy ties everywhere, and the first of them wins
            }
            const double gap = ratio_[n] - ratio_[nearest];
            const double margin = 1e-9 * (ratio_[n] + ratio_[nearest]);
            const double slope = 1.0 / sites_.w[static_cast<std::size_t>(candidates[n])];
            const double steps = (gap - margin) / (slope + slopeOfBest);
            more = steps < more ? steps : more;
            if (!(more >= 1)) {
                return {best, 0};  // also NaN, from infinite ratios
            }
        }
        return {best, more};
    }

private:
    WeightedSite site(std::int32_t k) const
    {
        const auto at = static_cast<std::size_t>(k);
        return {sites_.x[at], sites_.y[at], sites_.w[at]};
    }

    const SiteArrays& sites_;
    std::vector<double> ratio_;
};

// The site (from 0, as placed) whose region holds the point (x, y), as the drawing's
// fill gives it: of least distance over weight; on a tie the first of the sites sorted
// by weight as the drawing sorts them, and of exact copies the first placed (placesOf).
// Only the sites `among` take part. O(N log N).
std::int32_t regionHolding(const SiteArrays& placed, double x, double y, std::span<const std::int32_t> among);
std::int32_t regionHolding(const SiteArrays& placed, double x, double y);

}  // namespace voroquarn
