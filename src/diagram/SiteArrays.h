#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace voroquarn {

// The run traces every pair of sites, pair by pair, up to this many sites; beyond it,
// only the pairs that share a boundary, where they share it.
inline constexpr int MAX_SITES = 11;

// The sites of one run as three parallel arrays. Site k (counted from 1) is the triple
// (x[k-1], y[k-1], w[k-1]); N is their number, the length of each array.
struct SiteArrays {
    std::vector<double> x;  // pixels
    std::vector<double> y;  // pixels
    std::vector<float> w;   // weight
    std::int32_t N = 0;

    // N sites, the new ones at the origin with weight 0.
    void resize(std::int32_t count)
    {
        x.resize(static_cast<std::size_t>(count));
        y.resize(static_cast<std::size_t>(count));
        w.resize(static_cast<std::size_t>(count));
        N = count;
    }
    // One more site at the end.
    void add(double sx, double sy, float sw)
    {
        x.push_back(sx);
        y.push_back(sy);
        w.push_back(sw);
        ++N;
    }
};

// Whether site k of `a` and site l of `b` (both from 0) are one site: the same place and
// the same weight. Of exact copies the first stands for all: it wins their ties and has
// their region.
inline bool sameSite(const SiteArrays& a, std::size_t k, const SiteArrays& b, std::size_t l)
{
    return a.x[k] == b.x[l] && a.y[k] == b.y[l] && a.w[k] == b.w[l];
}
inline bool sameSite(const SiteArrays& sites, std::size_t k, std::size_t l) { return sameSite(sites, k, sites, l); }

}  // namespace voroquarn
