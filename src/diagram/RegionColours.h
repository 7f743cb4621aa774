#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/Colour.h"
#include "diagram/SiteArrays.h"

namespace voroquarn {

// The colours that --fill gives the sites' regions, one for each site by its place in
// the order the sites were placed: medium-dark hues, far apart from one another (the
// first few most of all, since every diagram has them), on which white boundaries and
// labels stay legible (a contrast of at least 4.5 with white). Black, white and the
// 16-colour palette's colours are left to the rest of the picture.
inline constexpr std::array<Colour, 11> REGION_PALETTE = {
    0x92513D,  // blue
    0x046222,  // green
    0x2F3DCF,  // red
    0x564180,  // wine
    0x9A7C02,  // teal
    0xC24F9F,  // violet
    0x0660A9,  // amber
    0x19555F,  // olive
    0x32477B,  // brown
    0x5C8119,  // sea green
    0x6924D8,  // raspberry
};

// The colours of the fill in the screen saver's look, harmonious together: nine hues
// spread around the circle at one chroma and two close lightnesses (about 0.11 and 0.45
// to 0.56 in OKLab), none olive or brown, any two at least 0.08 apart in OKLab and the
// first few farthest apart, each with a contrast of at least 4.5 with white.
inline constexpr std::array<Colour, 9> SAVER_PALETTE = {
    0x945928,  // blue
    0x2863A3,  // copper
    0x3F793B,  // green
    0x763D73,  // plum
    0x7D58A4,  // rose
    0x9A7E01,  // cerulean
    0xAA626E,  // lavender
    0x424798,  // brick
    0x5D6A05,  // teal
};

// The most colours a palette may have.
inline constexpr std::size_t MAX_PALETTE = 16;

// For each site of `sorted` (index k for the k-th), its place in `placed`, the same sites
// in their order of placement. Copies of one site take their places in order, so that
// the first of them, which wins their ties, has the first place. O(N log N).
std::vector<std::int32_t> placesOf(const SiteArrays& placed, const SiteArrays& sorted);

// Each sorted site's region colour (index k for the k-th site of `sorted`): the colour
// of its place in `placed`, the palette over again once it is used up.
std::vector<Colour> regionColours(const SiteArrays& placed, const SiteArrays& sorted,
                                  std::span<const Colour> palette = REGION_PALETTE);

// The same for many sites, so that regions that share a boundary (`neighbours`: pairs of
// sorted sites, from 0) differ: site after site in their order of placement, each takes
// the colour of its place unless a neighbour coloured before it has it, and then the
// first of the palette that none has; where none is left, a neighbour that alone has a
// colour moves to another, and failing that the sites are coloured in an order that
// leaves one free wherever the graph of neighbours allows it (always where regions are
// connected).
std::vector<Colour> neighbourColours(const SiteArrays& placed, const SiteArrays& sorted,
                                     const std::vector<std::pair<std::int32_t, std::int32_t>>& neighbours,
                                     std::span<const Colour> palette = REGION_PALETTE);

}  // namespace voroquarn
