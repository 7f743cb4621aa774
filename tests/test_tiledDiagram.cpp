// The diagram kept up to date tile by tile, as the explorer edits its sites.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <tuple>

#include "diagram/RegionBound.h"
#include "diagram/TiledDiagram.h"
#include "support/NearestSite.h"
#include "support/RandomSites.h"

namespace voroquarn::testing {
namespace {

constexpr int WIDTH = 320;
constexpr int HEIGHT = 240;

// Every pixel whose brute-force nearest site is k lies within k's bound, for random
// sites with the hard cases: equal weights, copies, weights one float apart.
TEST(RegionBound, HoldsEveryPixelOfTheRegion)
{
    std::mt19937 engine(18);
    const ClipArea area{-0.5, -0.5, WIDTH - 0.5, HEIGHT - 0.5};
    for (int round = 0; round < 40; ++round) {
        const SiteArrays sites = randomSites(engine, WIDTH, HEIGHT);
        std::vector<std::uint8_t> labels;
        labelNearestSites(sites, 0, 0, WIDTH, HEIGHT,
                          [&](int k, double x, double y) { return weightedRatio(sites, k, x, y); }, labels);
        const auto heaviest = std::max_element(sites.w.begin(), sites.w.end()) - sites.w.begin();
        for (std::int32_t k = 0; k < sites.N; ++k) {
            const std::optional<ClipArea> box = regionBound(sites, k, area);
            const bool alone = std::count(sites.w.begin(), sites.w.end(), sites.w[static_cast<std::size_t>(k)]) == 1;
            if (k == heaviest && alone) {
                ASSERT_TRUE(box);
                EXPECT_EQ(box->right - box->left, area.right - area.left) << describe(sites);
            }
            for (int y = 0; y < HEIGHT; ++y) {
                for (int x = 0; x < WIDTH; ++x) {
                    if (labels[static_cast<std::size_t>(y * WIDTH + x)] != k) {
                        continue;
                    }
                    ASSERT_TRUE(box && x >= box->left && x <= box->right && y >= box->top && y <= box->bottom)
                        << "site " << k << " owns (" << x << ", " << y << ") outside its bound; " << describe(sites);
                }
            }
        }
    }
}

// After every kind of edit the tiles found again and those kept together are the diagram
// a fresh start finds: the same pixels' owners, and pieces that differ by rounding only;
// and the owners are the brute force's nearest sites. Edits redo only a few tiles.
TEST(TiledDiagram, EditsKeepItTheDiagramOfTheSites)
{
    std::mt19937 engine(1818);
    std::uniform_real_distribution<double> unit(0, 1);
    SiteArrays sites;
    std::vector<std::uint32_t> ids;
    for (std::uint32_t k = 0; k < 150; ++k) {
        sites.add(unit(engine) * WIDTH, unit(engine) * HEIGHT, static_cast<float>(1 + 999 * unit(engine)));
        ids.push_back(k * 3);  // not their places
    }
    const int side = TiledDiagram::sideFor(WIDTH, HEIGHT, sites.N);
    TiledDiagram kept(WIDTH, HEIGHT, side, true);
    EXPECT_EQ(kept.update(sites, ids).size(), kept.tiles().size());
    std::uint32_t nextId = 1000;
    std::size_t redone = 0;
    for (int edit = 0; edit < 60; ++edit) {
        const auto k = static_cast<std::size_t>(engine() % static_cast<unsigned>(sites.N));
        switch (edit % 5) {
        case 0:
        case 1:  // a drag
            sites.x[k] = std::clamp(sites.x[k] + 40 * (unit(engine) - 0.5), 0.0, WIDTH - 1.0);
            sites.y[k] = std::clamp(sites.y[k] + 40 * (unit(engine) - 0.5), 0.0, HEIGHT - 1.0);
            break;
        case 2:  // the wheel
            sites.w[k] = static_cast<float>(sites.w[k] * (unit(engine) < 0.5 ? 1.1 : 1 / 1.1));
            break;
        case 3:  // a new site
            sites.add(unit(engine) * WIDTH, unit(engine) * HEIGHT, sites.w[k]);
            ids.push_back(nextId++);
            break;
        default:  // a site removed
            sites.x.erase(sites.x.begin() + static_cast<std::ptrdiff_t>(k));
            sites.y.erase(sites.y.begin() + static_cast<std::ptrdiff_t>(k));
            sites.w.erase(sites.w.begin() + static_cast<std::ptrdiff_t>(k));
            ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(k));
            --sites.N;
            break;
        }
        redone += kept.update(sites, ids).size();
        TiledDiagram fresh(WIDTH, HEIGHT, side, true);
        fresh.update(sites, ids);
        ASSERT_TRUE(std::equal(kept.owners().begin(), kept.owners().end(), fresh.owners().begin()))
            << "edit " << edit;
        for (std::size_t t = 0; t < kept.tiles().size(); ++t) {
            // A tile kept through a change of weights lists its pieces in the old order, and
            // a straight piece between sites of one weight may run either way.
            const auto inOrder = [](std::vector<BoundaryPiece> pieces) {
                for (BoundaryPiece& p : pieces) {
                    if (p.shape == BoundaryPiece::Shape::Segment &&
                        std::make_pair(p.end.x, p.end.y) < std::make_pair(p.start.x, p.start.y)) {
                        std::swap(p.start, p.end);
                    }
                }
                const auto key = [](const BoundaryPiece& p) {
                    return std::make_tuple(std::min(p.i, p.j), std::max(p.i, p.j), std::round(p.start.x * 1e4),
                                           std::round(p.start.y * 1e4));
                };
                std::sort(pieces.begin(), pieces.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
                return pieces;
            };
            const auto a = inOrder(kept.tiles()[t].pieces);
            const auto b = inOrder(fresh.tiles()[t].pieces);
            ASSERT_EQ(a.size(), b.size()) << "edit " << edit << ", tile " << t;
            for (std::size_t p = 0; p < a.size(); ++p) {
                EXPECT_EQ(std::minmax(a[p].i, a[p].j), std::minmax(b[p].i, b[p].j));
                EXPECT_NEAR(a[p].start.x, b[p].start.x, 1e-6);
                EXPECT_NEAR(a[p].end.y, b[p].end.y, 1e-6);
            }
        }
    }
    EXPECT_LT(redone, 60 * kept.tiles().size() / 4) << "edits redo most tiles";

    // The owners against the brute force, in sorted order as the fill ties them.
    const SiteArrays& sorted = kept.sorted();
    std::vector<std::uint8_t> labels;
    labelNearestSites(sorted, 0, 0, WIDTH, HEIGHT,
                      [&](int k, double x, double y) { return weightedRatio(sorted, k, x, y); }, labels);
    int wrong = 0;
    for (std::size_t p = 0; p < labels.size(); ++p) {
        wrong += kept.owners()[p] != kept.sortedIds()[labels[p]] ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace voroquarn::testing
