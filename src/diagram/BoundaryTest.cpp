#include "diagram/BoundaryTest.h"

#include "diagram/dist.h"

namespace voroquarn {

namespace {

bool sameSite(const SiteArrays& sites, int k, int l)
{
    return sites.x[k - 1] == sites.x[l - 1] && sites.y[k - 1] == sites.y[l - 1] &&
           sites.w[k - 1] == sites.w[l - 1];
}

}  // namespace

BoundaryTest::BoundaryTest(const SiteArrays& sites, int i, int j)
    : xi_(sites.x[i - 1]), yi_(sites.y[i - 1]), wi_(sites.w[i - 1])
{
    for (int k = 1; k <= sites.N; ++k) {
        // A copy of site i or j has their ratio on the bisector and can never be strictly
        // nearer; compared with the candidate's rounded ratio it would win by rounding
        // alone and cut the boundary into dots.
        if (k == i || k == j || sameSite(sites, k, i) || sameSite(sites, k, j)) {
            continue;
        }
        thirdX_[thirdCount_] = sites.x[k - 1];
        thirdY_[thirdCount_] = sites.y[k - 1];
        thirdW_[thirdCount_] = sites.w[k - 1];
        ++thirdCount_;
    }
}

bool BoundaryTest::isBoundaryPoint(double px, double py) const
{
    const double e = dist(px, py, xi_, yi_) / wi_;
    for (int n = 0; n < thirdCount_; ++n) {
        if (e > dist(px, py, thirdX_[n], thirdY_[n]) / thirdW_[n]) {
            return false;
        }
    }
    return true;
}

}  // namespace voroquarn
