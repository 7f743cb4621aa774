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

// The sites in smallest-last order: repeatedly the one of fewest neighbours among those
// left, reversed. O(N + neighbours).
std::vector<std::int32_t> smallestLast(const Buckets<std::int32_t>& around, std::size_t count)
{
    std::vector<std::uint32_t> degree(count);
    std::uint32_t most = 0;
    for (std::size_t k = 0; k < count; ++k) {
        degree[k] = static_cast<std::uint32_t>(around[k].size());
        most = std::max(most, degree[k]);
    }
    std::vector<std::vector<std::int32_t>> byDegree(static_cast<std::size_t>(most) + 1);
    for (std::size_t k = 0; k < count; ++k) {
        byDegree[degree[k]].push_back(static_cast<std::int32_t>(k));
    }
    std::vector<bool> removed(count, false);
    std::vector<std::int32_t> order;
    order.reserve(count);
    for (std::size_t least = 0; order.size() < count;) {
        if (byDegree[least].empty()) {
            ++least;
            continue;
        }
        const auto k = static_cast<std::size_t>(byDegree[least].back());
        byDegree[least].pop_back();
        if (removed[k] || degree[k] != least) {
            continue;  // an entry left behind when its degree fell
        }
        removed[k] = true;
        order.push_back(static_cast<std::int32_t>(k));
        for (const std::int32_t neighbour : around[k]) {
            const auto other = static_cast<std::size_t>(neighbour);
            if (!removed[other]) {
                byDegree[--degree[other]].push_back(static_cast<std::int32_t>(other));
                least = std::min<std::size_t>(least, degree[other]);
            }
        }
    }
    std::reverse(order.begin(), order.end());
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
    const std::size_t NONE = palette.size();
    std::vector<std::size_t> colour(count, NONE);
    const auto takenAround = [&](std::size_t k, std::size_t except) {
        std::array<bool, MAX_PALETTE> taken{};
        for (const std::int32_t neighbour : around[k]) {
            const auto other = static_cast<std::size_t>(neighbour);
            if (other != except && colour[other] != NONE) {
                taken[colour[other]] = true;
            }
        }
        return taken;
    };
    const auto firstFree = [&](const std::array<bool, MAX_PALETTE>& taken, std::size_t preferred) {
        if (!taken[preferred]) {
            return preferred;
        }
        for (std::size_t c = 0; c < palette.size(); ++c) {
            if (!taken[c]) {
                return c;
            }
        }
        return NONE;
    };
    // Colours the sites in the order given, each with the colour of its place unless a
    // neighbour coloured before it has it, and then the first that none has. Where every
    // colour is taken around a site, a neighbour that alone has one of them takes
    // another if it can; false where it cannot.
    const auto colourInOrder = [&](const std::vector<std::int32_t>& order) {
        std::fill(colour.begin(), colour.end(), NONE);
        for (const std::int32_t site : order) {
            const auto k = static_cast<std::size_t>(site);
            const std::array<bool, MAX_PALETTE> taken = takenAround(k, NONE);
            colour[k] = firstFree(taken, static_cast<std::size_t>(places[k]) % palette.size());
            for (const std::int32_t neighbour : around[k]) {
                if (colour[k] != NONE) {
                    break;
                }
                const auto other = static_cast<std::size_t>(neighbour);
                std::size_t holders = 0;
                for (const std::int32_t next : around[k]) {
                    holders += colour[static_cast<std::size_t>(next)] == colour[other] ? 1 : 0;
                }
                std::array<bool, MAX_PALETTE> takenThere = takenAround(other, k);
                takenThere[colour[other]] = true;
                const std::size_t instead = firstFree(takenThere, colour[other]);
                if (holders == 1 && instead != NONE) {
                    colour[k] = colour[other];
                    colour[other] = instead;
                }
            }
            if (colour[k] == NONE) {
                return false;
            }
        }
        return true;
    };
    // In the order of placement, so that an edit in the explorer recolours only around it.
    std::vector<std::int32_t> order(count);
    for (std::size_t k = 0; k < count; ++k) {
        order[static_cast<std::size_t>(places[k])] = static_cast<std::int32_t>(k);
    }
    if (!colourInOrder(order)) {
        // Smallest last: sites taken off the graph fewest neighbours first and coloured in
        // the reverse order each meet no more coloured neighbours than the graph's
        // degeneracy (at most 5 where regions are connected, as the graph is then planar).
        colourInOrder(smallestLast(around, count));
        for (std::size_t& c : colour) {
            c = c == NONE ? 0 : c;  // more neighbours around than colours: unavoidable
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
