#include "diagram/BoundaryTest.h"

#include "diagram/SiteArrays.h"

namespace voroquarn {

BoundaryTest::BoundaryTest(const SiteArrays& sites, int i, int j)
    : reference_{sites.x[i - 1], sites.y[i - 1], sites.w[i - 1]}
{
    for (int k = 1; k <= sites.N; ++k) {
        addThird(sites, i, j, k);
    }
}

BoundaryTest::BoundaryTest(const SiteArrays& sites, int i, int j, std::span<const std::int32_t> candidates)
    : reference_{sites.x[i - 1], sites.y[i - 1], sites.w[i - 1]}
{
    // A cell's candidates hold no copies of one another.
    thirds_.reserve(candidates.size());
    for (const std::int32_t k : candidates) {
        if (k != i - 1 && k != j - 1) {
            const auto at = static_cast<std::size_t>(k);
            thirds_.push_back({sites.x[at], sites.y[at], sites.w[at]});
        }
    }
}

void BoundaryTest::addThird(const SiteArrays& sites, int i, int j, int k)
{
    // A copy of site i or j has their ratio on the bisector and can never be strictly
    // nearer; compared with the candidate's rounded ratio it would win by rounding alone
    // and cut the boundary into dots.
    const auto copyOf = [&](int l) {
        return sameSite(sites, static_cast<std::size_t>(k - 1), static_cast<std::size_t>(l - 1));
    };
    if (k == i || k == j || copyOf(i) || copyOf(j)) {
        return;
    }
    thirds_.push_back({sites.x[k - 1], sites.y[k - 1], sites.w[k - 1]});
}

}  // namespace voroquarn
