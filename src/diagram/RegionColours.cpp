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
    // Each site's neighbours, as offsets into one list.
    std::vector<std::uint32_t> start(count + 1, 0);
    for (const auto& [i, j] : neighbours) {
        ++start[static_cast<std::size_t>(i) + 1];
        ++start[static_cast<std::size_t>(j) + 1];
    }
    for (std::size_t k = 1; k <= count; ++k) {
        start[k] += start[k - 1];
    }
    std::vector<std::int32_t> around(start.back());
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (const auto& [i, j] : neighbours) {
        around[fill[static_cast<std::size_t>(i)]++] = j;
        around[fill[static_cast<std::size_t>(j)]++] = i;
    }
    // Smallest last: sites are taken off the graph fewest neighbours first, and coloured
    // in the reverse order, so that each meets no more coloured neighbours than the
    // graph's degeneracy (at most 5 where regions are connected, as the graph is then
    // planar) and always finds a colour of the palette free. Among the free colours a
    // site keeps the one of its place where it can.
    std::vector<std::uint32_t> degree(count);
    std::uint32_t most = 0;
    for (std::size_t k = 0; k < count; ++k) {
        degree[k] = start[k + 1] - start[k];
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
        for (std::uint32_t n = start[k]; n < start[k + 1]; ++n) {
            const auto other = static_cast<std::size_t>(around[n]);
            if (!removed[other]) {
                byDegree[--degree[other]].push_back(static_cast<std::int32_t>(other));
                least = std::min<std::size_t>(least, degree[other]);
            }
        }
    }

    const std::size_t NONE = palette.size();
    std::vector<std::size_t> colour(count, NONE);
    for (auto site = order.rbegin(); site != order.rend(); ++site) {
        const auto k = static_cast<std::size_t>(*site);
        std::array<bool, MAX_PALETTE> taken{};
        for (std::uint32_t n = start[k]; n < start[k + 1]; ++n) {
            const std::size_t other = colour[static_cast<std::size_t>(around[n])];
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
