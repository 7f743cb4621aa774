#pragma once

#include <cstdint>

namespace voroquarn {

// A 24-bit RGB colour laid out as 0x00BBGGRR.
using Colour = std::uint32_t;

inline constexpr Colour BLACK = 0x000000;
inline constexpr Colour WHITE = 0xFFFFFF;

}  // namespace voroquarn
