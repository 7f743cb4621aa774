#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "diagram/Nearer.h"
#include "diagram/dist.h"

namespace voroquarn {

struct SiteArrays;

// Decides which points of the bisector of sites i and j belong to the diagram: those at
// which no third site is nearer in the weighted sense (distance divided by weight).
// Prepared once per pair so that each test touches only the third sites.
class BoundaryTest {
public:
    // Sites i and j counted from 1; site i is the reference. The third sites are all the
    // others, or only `candidates` (counted from 0, no two copies of one site) where
    // those are every site that can be nearest where the test is asked.
    BoundaryTest(const SiteArrays& sites, int i, int j);
    BoundaryTest(const SiteArrays& sites, int i, int j, std::span<const std::int32_t> candidates);

    // True unless some third site is strictly nearer than site i at (px, py)
    // (strictlyNearer). Site j's ratio is not computed: on the bisector it equals site i's.
    bool isBoundaryPoint(double px, double py) const
    {
        const double e = dist(px, py, reference_.x, reference_.y) / reference_.w;
        for (const WeightedSite& k : thirds_) {
            if (strictlyNearer(px, py, k, dist(px, py, k.x, k.y) / k.w, reference_, e)) {
                return false;
            }
        }
        return true;
    }

    // The third sites the test compares with: every site but i, j and exact copies of
    // them.
    std::span<const WeightedSite> thirds() const { return thirds_; }

private:
    void addThird(const SiteArrays& sites, int i, int j, int k);

    WeightedSite reference_;
    std::vector<WeightedSite> thirds_;
};

}  // namespace voroquarn
