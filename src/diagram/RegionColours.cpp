#include "diagram/RegionColours.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include "diagram/Buckets.h"

namespace voroquarn {

namespace {

// The indices of the sites ordered by position and weight, then by index: copies of one
// site come together, in their order.
std::vector<std::int32_t> byValue(const SiteArrays& sites)
{
    std::vector<std::int32_t> order(static_cast<std::size_t>(sites.N));
    std::iota(order.begin(), order.end(), 0);
    const auto key = [&](std::int32_t k) {
        const auto at = static_cast<std::size_t>(k);
        return std::make_tuple(sites.x[at], sites.y[at], sites.w[at], k);
    };
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) { return key(a) < key(b); });
    return order;
}

}  // namespace

std::vector<std::int32_t> placesOf(const SiteArrays& placed, const SiteArrays& sorted)
{
    // The same sites, ordered alike: the n-th of one order is the n-th of the other.
    const std::vector<std::int32_t> fromPlaced = byValue(placed);
    const std::vector<std::int32_t> fromSorted = byValue(sorted);
    std::vector<std::int32_t> places(fromSorted.size(), 0);
    for (std::size_t n = 0; n < fromSorted.size() && n < fromPlaced.size(); ++n) {
        places[static_cast<std::size_t>(fromSorted[n])] = fromPlaced[n];
    }
    return places;
}

std::vector<Colour> regionColours(const SiteArrays& placed, const SiteArrays& sorted, std::span<const Colour> palette)
{
    std::vector<Colour> colours;
    colours.reserve(static_cast<std::size_t>(sorted.N));
    for (const std::int32_t place : placesOf(placed, sorted)) {
        colours.push_back(palette[static_cast<std::size_t>(place) % palette.size()]);
    }
    return colours;
}

std::vector<Colour> neighbourColours(const SiteArrays& placed, const SiteArrays& sorted,
                                     const std::vector<std::pair<std::int32_t, std::int32_t>>& neighbours,
                                     std::span<const Colour> palette)
{
    palette = palette.first(std::min(palette.size(), MAX_PALETTE));
    const std::vector<std::int32_t> places = placesOf(placed, sorted);
    const auto count = places.size();
    // Each site's neighbours.
    const Buckets<std::int32_t> around(count, [&](auto&& add) {
        for (const auto& [i, j] : neighbours) {
            add(static_cast<std::size_t>(i), j);
            add(static_cast<std::size_t>(j), i);
        }
    });
    std::vector<std::int32_t> byPlace(count);
    for (std::size_t k = 0; k < count; ++k) {
        byPlace[static_cast<std::size_t>(places[k])] = static_cast<std::int32_t>(k);
    }

    const std::size_t NONE = palette.size();
    std::vector<std::size_t> colour(count, NONE);
    for (const std::int32_t site : byPlace) {
        const auto k = static_cast<std::size_t>(site);
        std::array<bool, MAX_PALETTE> taken{};
        for (const std::int32_t neighbour : around[k]) {
            const std::size_t other = colour[static_cast<std::size_t>(neighbour)];
            if (other != NONE) {
                taken[other] = true;
            }
        }
        const std::size_t own = static_cast<std::size_t>(places[k]) % palette.size();
        colour[k] = own;
        for (std::size_t c = 0; taken[own] && c < palette.size(); ++c) {
            if (!taken[c]) {
                colour[k] = c;
                break;
            }
        }
    }
    std::vector<Colour> colours;
    colours.reserve(count);
    for (const std::size_t c : colour) {
        colours.push_back(palette[c]);
    }
    return colours;
}

}  // namespace voroquarn
