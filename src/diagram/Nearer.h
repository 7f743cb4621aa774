#pragma once

#include <cmath>

namespace voroquarn {

// A site as the comparisons take it: position in pixels and weight.
struct WeightedSite {
    double x;
    double y;
    double w;
};

// Which of two sites is nearer to a point in the weighted sense (distance over weight).
// A tie is an answer of its own: the two are equally near, as far as double precision
// can tell with the better-conditioned of two forms.
enum class Nearer { First, Tie, Second };

// The comparison of dist(p, a) / wa with dist(p, b) / wb by the sign of
//     G = wb² |p - a|² - wa² |p - b|²,
// as written, and where that is too close to call as
//     G = (wb² - wa²) |p - a|² + wa² (b - a).(2p - a - b),
// which keeps its digits where a and b lie close and p far from both (sites 1e-12 px
// apart seen from 100 px). Within the second form's rounding bound it is a tie.
inline Nearer nearer(double px, double py, const WeightedSite& a, const WeightedSite& b)
{
    constexpr double BOUND = 16 * 0x1p-53;  // generous: a handful of roundings, each < 2^-53
    const double ax = px - a.x;
    const double ay = py - a.y;
    const double bx = px - b.x;
    const double by = py - b.y;
    const double aa = ax * ax + ay * ay;
    const double bb = bx * bx + by * by;
    const double wa2 = a.w * a.w;  // exact: the weights have single precision
    const double wb2 = b.w * b.w;
    const double first = wb2 * aa;
    const double second = wa2 * bb;
    const double plain = first - second;
    if (std::abs(plain) > BOUND * (first + second)) {
        return plain < 0 ? Nearer::First : Nearer::Second;
    }
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double sx = ax + bx;  // 2p - a - b
    const double sy = ay + by;
    const double scale = wb2 - wa2;
    const double across = dx * sx + dy * sy;
    const double careful = scale * aa + wa2 * across;
    const double error = BOUND * (std::abs(scale) * aa + wa2 * (std::abs(dx * sx) + std::abs(dy * sy)));
    if (careful < -error) {
        return Nearer::First;
    }
    return careful > error ? Nearer::Second : Nearer::Tie;
}

// Two ratios (distance over weight) within this relative distance of each other may
// compare either way by rounding; further apart their order is certain.
inline constexpr double RATIO_TOLERANCE = 1e-13;

// Whether site s, of ratio rs at (px, py), is strictly nearer there than site t, of
// ratio rt: by the ratios where they are certain, else as `nearer` tells. On a tie t
// keeps the point: the diagram's rule, that of sites in turn the first one tied wins.
inline bool strictlyNearer(double px, double py, const WeightedSite& s, double rs, const WeightedSite& t, double rt)
{
    const double slack = std::isfinite(rt) ? RATIO_TOLERANCE * rt : 0;
    if (!(std::abs(rs - rt) <= slack)) {
        return rs < rt;  // certain, or as the plain ratios say where they overflow
    }
    return nearer(px, py, s, t) == Nearer::First;
}

}  // namespace voroquarn
