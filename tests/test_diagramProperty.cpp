// The picture the real run traces, for sites in no particular order, against a
// brute-force labelling of every pixel by its nearest site in the weighted sense. This
// is the test that shows the boundaries are where they are.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "core/nearestPixel.h"
#include "diagram/Diagram.h"
#include "diagram/RegionColours.h"
#include "diagram/RegionMeasures.h"
#include "diagram/SiteArrays.h"
#include "diagram/drawDiagram.h"
#include "support/NearestSite.h"
#include "support/RandomSites.h"
#include "support/RecordingSurface.h"

namespace voroquarn {
namespace {

using testing::Call;
using testing::labelNearestSites;
using testing::RecordingSurface;
using testing::describe;
using testing::randomSites;
using testing::weightedRatio;

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
    Grid() : cells_(static_cast<std::size_t>(WIDTH * HEIGHT), 0) {}
    explicit Grid(std::vector<std::uint8_t> cells) : cells_(std::move(cells)) {}
    std::uint8_t& at(int x, int y) { return cells_[index(x, y)]; }
    std::uint8_t at(int x, int y) const { return cells_[index(x, y)]; }
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

    // The grid's size with its border.
    static constexpr int WIDTH = W + 2 * BORDER;
    static constexpr int HEIGHT = H + 2 * BORDER;

private:
    static std::size_t index(int x, int y)
    {
        return static_cast<std::size_t>((y + BORDER) * WIDTH + x + BORDER);
    }
    std::vector<std::uint8_t> cells_;
};

// Pixels next to a pixel whose nearest site is another.
Grid labelChanges(const SiteArrays& sites)
{
    std::vector<std::uint8_t> labels;
    labelNearestSites(sites, -BORDER, -BORDER, Grid::WIDTH, Grid::HEIGHT,
                      [&](int k, int x, int y) { return weightedRatio(sites, k, x, y); }, labels);
    const Grid label(std::move(labels));
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

// The calls of the real run for the sites, given in their (unsorted) order.
std::vector<Call> runCalls(const SiteArrays& sites, bool fill)
{
    RunSettings settings;
    for (int k = 0; k < sites.N; ++k) {
        settings.givenSites.push_back({sites.x[k], sites.y[k], sites.w[k]});
    }
    settings.fill = fill;
    RecordingSurface window(OUTER_W, OUTER_H);
    SeededRandom random;
    driveToEnd(drawDiagram(window, random, std::move(settings)), window);
    return window.calls;
}

// The pixels the real run draws for the sites, given in their (unsorted) order.
Grid tracedPixels(const SiteArrays& sites)
{
    RecordingSurface window(0, 0);
    window.calls = runCalls(sites, false);
    Grid drawn;
    for (const Call& p : window.ofKind(Call::SetPixel)) {
        const double x = nearestPixel(p.x);
        const double y = nearestPixel(p.y);
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

// Away from the sites, the pixels drawn where no region ends, and those where a region
// ends with nothing drawn within a pixel.
struct Disagreements {
    int strayPixels = 0;
    int missedChanges = 0;
};

Disagreements disagreements(const SiteArrays& sites)
{
    const Grid changes = labelChanges(sites);
    const Grid drawn = tracedPixels(sites);
    Disagreements found;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            if (nearASite(sites, x, y)) {
                continue;
            }
            found.strayPixels += drawn.at(x, y) != 0 && !changes.anyWithin(x, y, 1) ? 1 : 0;
            found.missedChanges += changes.at(x, y) != 0 && !drawn.anyWithin(x, y, 1) ? 1 : 0;
        }
    }
    return found;
}

TEST(DiagramProperty, DrawnPixelsAreExactlyWhereTheNearestSiteChanges)
{
    std::mt19937 engine(20261207);
    for (int round = 0; round < 800; ++round) {
        const SiteArrays sites = randomSites(engine, OUTER_W, OUTER_H);
        const auto [strayPixels, missedChanges] = disagreements(sites);
        ASSERT_EQ(strayPixels, 0) << "drawn where no region ends; round " << round << ": " << describe(sites);
        ASSERT_EQ(missedChanges, 0) << "a region ends where nothing is drawn; round " << round << ": "
                                    << describe(sites);
    }
}

// A few dozen sites of each kind that bench/degenerate-sites makes by the thousand, whose
// boundaries meet, touch or coincide in numbers: drawn exactly where the nearest site
// changes, and their regions' exact areas fill the picture.
TEST(DiagramProperty, DegenerateSitesAreDrawnWhereTheNearestSiteChanges)
{
    struct Family {
        const char* name;
        SiteArrays sites;
        bool labelled;  // false where doubles cannot tell which site is nearer
    };
    std::vector<Family> families;
    const auto family = [&](const char* name, int n, auto site, bool labelled = true) {
        SiteArrays sites;
        for (int k = 0; k < n; ++k) {
            const auto [x, y, w] = site(k);
            sites.add(x, y, static_cast<float>(w));
        }
        families.push_back({name, std::move(sites), labelled});
    };
    // Sites on a diagonal from P, each weighted by its distance from P: every tie circle
    // passes through P and touches the others there.
    family("pencil through a point inside", 30, [](int k) { return std::tuple{71.0 + k, 51.0 + k, k + 1.0}; });
    family("pencil through a point outside", 30, [](int k) { return std::tuple{-5.0 + 5 * k, -5.0 + 5 * k, k + 1.0}; });
    // Ever wider apart on a ray, weights in a slower progression: each circle holds the last.
    family("nested circles", 30, [](int k) { return std::tuple{20 + 3 * (std::pow(1.4, k) - 1), 60.0, std::pow(1.2, k)}; });
    family("cocircular, equal weights", 40, [](int k) {
        const double turn = 2 * std::numbers::pi * k / 40;
        return std::tuple{80 + 48 * std::cos(turn), 60 + 48 * std::sin(turn), 7.0};
    });
    family("collinear, equal weights", 40, [](int k) { return std::tuple{4.0 * k + 2, 60.0, 7.0}; });
    family("grid, equal weights", 30, [](int k) { return std::tuple{24.0 * (k % 6) + 12, 24.0 * (k / 6) + 12, 7.0}; });
    // Each of a few sites six times: itself, a lighter copy, a copy, a few ulps away one
    // float heavier, 1e-9 px away, one ulp away one float lighter.
    std::mt19937 engine(25);
    const SiteArrays base = randomSites(engine, OUTER_W, OUTER_H);
    family("coincident and ulp-close", 6 * base.N, [&](int k) {
        const auto b = static_cast<std::size_t>(k % base.N);
        const double x = base.x[b];
        const double y = base.y[b];
        const float w = base.w[b];
        switch (k / base.N) {
            case 1: return std::tuple{x, y, 7.0F};
            case 3: return std::tuple{std::nextafter(std::nextafter(x, HUGE_VAL), HUGE_VAL), y, std::nextafter(w, HUGE_VALF)};
            case 4: return std::tuple{x + 1e-9, y - 1e-9, w};
            case 5: return std::tuple{x, std::nextafter(y, -HUGE_VAL), std::nextafter(w, 0.0F)};
            default: return std::tuple{x, y, w};
        }
    });
    // Equal weights a few ulps apart, whose ratios differ by less than their rounding.
    family("equal weights a few ulps apart", 4 * base.N, [&](int k) {
        const auto b = static_cast<std::size_t>(k % base.N);
        double x = base.x[b];
        for (int ulp = 0; ulp < k / base.N; ++ulp) {
            x = std::nextafter(x, HUGE_VAL);
        }
        return std::tuple{x, base.y[b], base.w[b]};
    }, false);

    for (const auto& [name, sites, labelled] : families) {
        SCOPED_TRACE(::testing::Message() << name << ": " << describe(sites));
        if (labelled) {
            const auto [strayPixels, missedChanges] = disagreements(sites);
            EXPECT_EQ(strayPixels, 0) << "drawn where no region ends";
            EXPECT_EQ(missedChanges, 0) << "a region ends where nothing is drawn";
        }
        double total = 0;
        for (const double area : measureRegions(sites, drawingArea(W, H)).area) {
            total += area;
        }
        EXPECT_NEAR(total / (W * H), 1, 1e-9);
    }
}

// With --fill, the run fills every pixel up to the window's extent, row by row with a
// yield before each row, in the colour of the site nearest to it (a tie may go to
// either site), after the markers and before the first boundary pixel; the rest of its
// calls are those of the run without it.
TEST(DiagramProperty, TheFillGivesEveryPixelItsNearestSitesColourRowByRow)
{
    constexpr int COLUMNS = OUTER_W + 1;  // as far as the sweeps go
    constexpr int ROWS = OUTER_H + 1;
    std::mt19937 engine(20261208);
    for (int round = 0; round < 150; ++round) {
        const SiteArrays sites = randomSites(engine, OUTER_W, OUTER_H);
        SCOPED_TRACE(::testing::Message() << "round " << round << ": " << describe(sites));
        const std::vector<Call> calls = runCalls(sites, true);

        const auto isKind = [&](Call::Kind kind) { return [kind](const Call& c) { return c.kind == kind; }; };
        const auto lastPrint = std::find_if(calls.rbegin(), calls.rend(), isKind(Call::DrawNumber)).base();
        const auto firstFill = std::find_if(calls.begin(), calls.end(), isKind(Call::FillBackground));
        const auto lastFill = std::find_if(calls.rbegin(), calls.rend(), isKind(Call::FillBackground)).base();
        const auto firstPixel = std::find_if(calls.begin(), calls.end(), isKind(Call::SetPixel));
        ASSERT_TRUE(lastPrint <= firstFill && lastFill <= firstPixel);

        std::vector<std::uint8_t> nearest;
        labelNearestSites(sites, 0, 0, COLUMNS, ROWS, [&](int k, int x, int y) { return weightedRatio(sites, k, x, y); },
                          nearest);
        std::vector<int> filled(static_cast<std::size_t>(COLUMNS * ROWS), 0);
        int row = -1;
        long yields = 0;
        long wrongPixels = 0;
        for (auto call = lastPrint; call != lastFill; ++call) {
            if (call->kind == Call::KeepResponsive) {
                ++yields;
            }
            if (call->kind != Call::FillBackground) {
                continue;
            }
            const int y = static_cast<int>(call->y);
            if (y != row) {
                ASSERT_EQ(y, row + 1);
                ASSERT_EQ(yields, y + 1) << "one yield before each row";
                row = y;
            }
            const auto place = static_cast<int>(std::find(REGION_PALETTE.begin(), REGION_PALETTE.end(), call->colour) -
                                                REGION_PALETTE.begin());
            ASSERT_LT(place, sites.N);
            for (int x = static_cast<int>(call->x); x < static_cast<int>(call->value); ++x) {
                ASSERT_TRUE(x >= 0 && x < COLUMNS);
                const auto at = static_cast<std::size_t>(y * COLUMNS + x);
                ++filled[at];
                wrongPixels += weightedRatio(sites, place, x, y) != weightedRatio(sites, nearest[at], x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(row, ROWS - 1);
        EXPECT_EQ(std::count(filled.begin(), filled.end(), 1), COLUMNS * ROWS) << "every pixel once";
        EXPECT_EQ(wrongPixels, 0);

        // The run's calls without the fill: everything but the fill's rows, each with its
        // yield and its reads of the window's extent, and the yield and read that end it.
        std::vector<Call> unfilled(calls.begin(), lastPrint);
        unfilled.insert(unfilled.end(), lastFill + 2, calls.end());
        const std::vector<Call> plain = runCalls(sites, false);
        ASSERT_EQ(unfilled.size(), plain.size());
        for (std::size_t n = 0; n < plain.size(); ++n) {
            ASSERT_TRUE(unfilled[n].kind == plain[n].kind && unfilled[n].x == plain[n].x &&
                        unfilled[n].y == plain[n].y && unfilled[n].value == plain[n].value)
                << "call " << n;
        }
    }
}

}  // namespace
}  // namespace voroquarn
