#include "diagram/RegionColours.h"

#include <algorithm>
#include <numeric>
#include <tuple>

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

std::vector<Colour> regionColours(const SiteArrays& placed, const SiteArrays& sorted)
{
    std::vector<Colour> colours;
    colours.reserve(static_cast<std::size_t>(sorted.N));
    for (const std::int32_t place : placesOf(placed, sorted)) {
        colours.push_back(REGION_PALETTE[static_cast<std::size_t>(place) % REGION_PALETTE.size()]);
    }
    return colours;
}

}  // namespace voroquarn
