#pragma once

#include <cmath>

namespace voroquarn {

// The column or row of the pixel that a point is plotted on: the nearest one, with
// half-way points going to the right and below. Taken in double precision, where
// v + 0.5 either is exact or rounds only where v is a whole number already, so the
// pixel is right for every float.
inline double nearestPixel(double v) { return std::floor(v + 0.5); }

}  // namespace voroquarn
