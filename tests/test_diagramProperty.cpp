// The traced picture against a brute-force labelling of every pixel by its nearest site
// in the weighted sense. This is the test that shows the boundaries are where they are.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "app/drawDiagram.h"
#include "boundary/traceBisector.h"
#include "sites/SiteArrays.h"
#include "sites/hSort.h"
#include "support/RandomSites.h"
#include "support/RecordingSurface.h"

namespace voroquarn {
namespace {

using testing::Call;
using testing::RecordingSurface;
using testing::describe;
using testing::randomSites;

constexpr int W = 160;  // drawing area of the test window
constexpr int H = 120;
constexpr int OUTER_W = W + 6;
constexpr int OUTER_H = H + 27;
// Pixels this close to a site are left out: markers cover them, and a lighter site's
// region can be smaller than a pixel, drawn but holding no pixel centre.
constexpr double NEAR_SITE = 4.5;

// A mask over the drawing area and a border around it, so that a region ending just
// beyond the last pixel still counts for the pixels next to it.
constexpr int BORDER = 2;

class Grid {
public:
    Grid() : cells_(static_cast<std::size_t>((W + 2 * BORDER) * (H + 2 * BORDER)), 0) {}
    int& at(int x, int y) { return cells_[index(x, y)]; }
    int at(int x, int y) const { return cells_[index(x, y)]; }
    bool anyWithin(int x, int y, int reach) const
    {
        for (int v = std::max(-BORDER, y - reach); v < std::min(H + BORDER, y + reach + 1); ++v) {
            for (int u = std::max(-BORDER, x - reach); u < std::min(W + BORDER, x + reach + 1); ++u) {
                if (at(u, v) != 0) {
                    return true;
                }
            }
        }
        return false;
    }

private:
    static std::size_t index(int x, int y)
    {
        return static_cast<std::size_t>((y + BORDER) * (W + 2 * BORDER) + x + BORDER);
    }
    std::vector<int> cells_;
};

// Index of the site with the least distance / weight at a pixel centre; ties go to the
// lower index.
int nearestSite(const SiteArrays& s, double px, double py)
{
    int best = 0;
    double bestRatio = std::sqrt((px - s.x[0]) * (px - s.x[0]) + (py - s.y[0]) * (py - s.y[0])) / s.w[0];
    for (int k = 1; k < s.N; ++k) {
        const double ratio =
            std::sqrt((px - s.x[k]) * (px - s.x[k]) + (py - s.y[k]) * (py - s.y[k])) / s.w[k];
        if (ratio < bestRatio) {
            best = k;
            bestRatio = ratio;
        }
    }
    return best;
}

// Pixels next to a pixel of another label.
Grid labelChanges(const SiteArrays& sites)
{
    Grid label;
    for (int y = -BORDER; y < H + BORDER; ++y) {
        for (int x = -BORDER; x < W + BORDER; ++x) {
            label.at(x, y) = nearestSite(sites, x, y);
        }
    }
    Grid changes;
    for (int y = -BORDER; y < H + BORDER; ++y) {
        for (int x = -BORDER; x < W + BORDER; ++x) {
            if (x + 1 < W + BORDER && label.at(x + 1, y) != label.at(x, y)) {
                changes.at(x, y) = changes.at(x + 1, y) = 1;
            }
            if (y + 1 < H + BORDER && label.at(x, y + 1) != label.at(x, y)) {
                changes.at(x, y) = changes.at(x, y + 1) = 1;
            }
        }
    }
    return changes;
}

Grid tracedPixels(const SiteArrays& sites)
{
    RecordingSurface window(OUTER_W * 15.0F, OUTER_H * 15.0F);
    forEachPair(sites.N, [&](int i, int j) { return traceBisector(window, sites, i, j); });
    Grid drawn;
    for (const Call& p : window.ofKind(Call::PSet)) {
        const double x = std::floor(static_cast<double>(p.x) + 0.5);
        const double y = std::floor(static_cast<double>(p.y) + 0.5);
        if (x >= -BORDER && x < W + BORDER && y >= -BORDER && y < H + BORDER) {
            drawn.at(static_cast<int>(x), static_cast<int>(y)) = 1;
        }
    }
    return drawn;
}

bool nearASite(const SiteArrays& s, int x, int y)
{
    for (int k = 0; k < s.N; ++k) {
        if (std::hypot(x - s.x[k], y - s.y[k]) <= NEAR_SITE) {
            return true;
        }
    }
    return false;
}

TEST(DiagramProperty, DrawnPixelsAreExactlyWhereTheNearestSiteChanges)
{
    std::mt19937 engine(20261207);
    for (int round = 0; round < 800; ++round) {
        SiteArrays sites = randomSites(engine, OUTER_W, OUTER_H);
        hSort(sites.N, sites.w, sites.x, sites.y);
        const Grid changes = labelChanges(sites);
        const Grid drawn = tracedPixels(sites);

        int strayPixels = 0;
        int missedChanges = 0;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                if (nearASite(sites, x, y)) {
                    continue;
                }
                strayPixels += drawn.at(x, y) != 0 && !changes.anyWithin(x, y, 1) ? 1 : 0;
                missedChanges += changes.at(x, y) != 0 && !drawn.anyWithin(x, y, 1) ? 1 : 0;
            }
        }
        ASSERT_EQ(strayPixels, 0) << "drawn where no region ends; round " << round << ": " << describe(sites);
        ASSERT_EQ(missedChanges, 0) << "a region ends where nothing is drawn; round " << round << ": "
                                    << describe(sites);
    }
}

}  // namespace
}  // namespace voroquarn
