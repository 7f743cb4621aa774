#pragma once

#include <array>
#include <cstdint>

namespace voroquarn {

inline constexpr int MAX_SITES = 11;

// The sites of one run as three parallel arrays. Site k (counted from 1) is the triple
// (x[k-1], y[k-1], w[k-1]); only indices 0 to N-1 hold sites.
struct SiteArrays {
    std::array<double, MAX_SITES> x{};  // pixels
    std::array<double, MAX_SITES> y{};  // pixels
    std::array<float, MAX_SITES> w{};   // weight
    std::int16_t N = 0;
};

}  // namespace voroquarn
