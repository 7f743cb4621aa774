#pragma once

#include <cmath>

namespace voroquarn {

// The largest integral value not above v (toward minus infinity), in v's own precision.
inline double Int(double v) { return std::floor(v); }
inline float Int(float v) { return std::floor(v); }

}  // namespace voroquarn
