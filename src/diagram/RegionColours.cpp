#include "diagram/RegionColours.h"

namespace voroquarn {

std::array<Colour, MAX_SITES> regionColours(const SiteArrays& placed, const SiteArrays& sorted)
{
    std::array<Colour, MAX_SITES> colours{};
    std::array<bool, MAX_SITES> taken{};
    for (int k = 0; k < sorted.N; ++k) {
        for (int m = 0; m < placed.N; ++m) {
            if (!taken[m] && placed.x[m] == sorted.x[k] && placed.y[m] == sorted.y[k] &&
                placed.w[m] == sorted.w[k]) {
                taken[m] = true;
                colours[k] = REGION_PALETTE[m];
                break;
            }
        }
    }
    return colours;
}

}  // namespace voroquarn
