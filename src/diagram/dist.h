#pragma once

#include <cmath>

namespace voroquarn {

// Euclidean distance: the square root of the sum of the squared differences, x term
// first. Deliberately not std::hypot, which rounds differently.
inline double dist(double x1, double y1, double x2, double y2)
{
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace voroquarn
