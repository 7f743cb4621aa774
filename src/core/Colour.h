#pragma once

#include <array>
#include <cstdint>

namespace voroquarn {

// A 24-bit RGB colour laid out as 0x00BBGGRR.
using Colour = std::uint32_t;

inline constexpr Colour BLACK = 0x000000;
inline constexpr Colour WHITE = 0xFFFFFF;

// The classic 16-entry palette; index 15 is bright white.
inline constexpr std::array<Colour, 16> QB_PALETTE = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// Colour of a palette entry; indices wrap into 0..15.
constexpr Colour QBColor(int index) { return QB_PALETTE[static_cast<unsigned>(index) % 16U]; }

}  // namespace voroquarn
