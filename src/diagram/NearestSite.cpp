#include "diagram/NearestSite.h"

#include <numeric>

#include "diagram/RegionColours.h"
#include "diagram/sortByWeight.h"

namespace voroquarn {

std::int32_t regionHolding(const SiteArrays& placed, double x, double y, std::span<const std::int32_t> among)
{
    SiteArrays sorted = placed;
    sortByWeight(sorted.N, sorted.w, sorted.x, sorted.y);
    const std::vector<std::int32_t> places = placesOf(placed, sorted);
    std::vector<bool> asked(places.size(), false);
    for (const std::int32_t k : among) {
        asked[static_cast<std::size_t>(k)] = true;
    }
    std::vector<std::int32_t> candidates;
    for (std::size_t s = 0; s < places.size(); ++s) {
        if (asked[static_cast<std::size_t>(places[s])]) {
            candidates.push_back(static_cast<std::int32_t>(s));
        }
    }
    if (candidates.empty()) {
        return -1;
    }
    return places[static_cast<std::size_t>(NearestSite(sorted).at(x, y, candidates).site)];
}

std::int32_t regionHolding(const SiteArrays& placed, double x, double y)
{
    std::vector<std::int32_t> all(static_cast<std::size_t>(placed.N));
    std::iota(all.begin(), all.end(), 0);
    return regionHolding(placed, x, y, all);
}

}  // namespace voroquarn
