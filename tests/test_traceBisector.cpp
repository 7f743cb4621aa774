// Tracing one pair's boundary: candidates, the dominance test, and one yield per step.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "core/driveToEnd.h"
#include "diagram/SiteArrays.h"
#include "diagram/drawDiagram.h"
#include "diagram/traceBisector.h"
#include "support/RecordingSurface.h"

namespace voroquarn {
namespace {

using testing::Call;
using testing::RecordingSurface;

// Traces one pair, handing the window its turn at every step as the program does.
bool trace(RecordingSurface& window, const SiteArrays& sites, int i, int j)
{
    return driveToEnd(traceBisector(window, sites, i, j), window);
}

SiteArrays makeArrays(std::initializer_list<std::array<double, 3>> list)
{
    SiteArrays sites;
    for (const auto& [x, y, w] : list) {
        sites.add(x, y, static_cast<float>(w));
    }
    return sites;
}

// The calls of one sweep: from the first yield whose size read is of the given kind.
std::size_t yieldsFollowedBy(const RecordingSurface& window, Call::Kind sizeRead)
{
    std::size_t count = 0;
    for (std::size_t n = 0; n + 1 < window.calls.size(); ++n) {
        if (window.calls[n].kind == Call::KeepResponsive) {
            EXPECT_TRUE(window.calls[n + 1].kind == Call::OuterWidth || window.calls[n + 1].kind == Call::OuterHeight)
                << "a yield must be followed by the size read, at call " << n;
            count += window.calls[n + 1].kind == sizeRead ? 1 : 0;
        }
    }
    return count;
}

TEST(TraceBisector, AThirdSiteSuppressesOrKeepsTheFirstCandidate)
{
    // Pair (100,100) w 1 and (200,100) w 2; the circle's first column is X = 0, whose
    // candidate (0, 100) has ratio 100. A third site of weight 500 at (400,300) has
    // ratio 0.894 there and suppresses every candidate; of weight 1 its ratio is 447.2.
    {
        RecordingSurface window(624, 535);
        trace(window, makeArrays({{100, 100, 1}, {200, 100, 2}, {400, 300, 500}}), 1, 2);
        EXPECT_TRUE(window.ofKind(Call::SetPixel).empty());
    }
    {
        RecordingSurface window(624, 535);
        trace(window, makeArrays({{100, 100, 1}, {200, 100, 2}, {400, 300, 1}}), 1, 2);
        const std::vector<Call> plotted = window.ofKind(Call::SetPixel);
        ASSERT_GE(plotted.size(), 2U);
        for (int n : {0, 1}) {  // both candidates of the first step are (0, 100)
            EXPECT_EQ(plotted[n].x, 0.0F);
            EXPECT_EQ(plotted[n].y, 100.0F);
            EXPECT_EQ(plotted[n].colour, 0xFFFFFFU);
        }
    }
}

TEST(TraceBisector, WithoutRivalsDrawsTheWholeCircle)
{
    RecordingSurface window(624, 535);
    const SiteArrays sites = makeArrays({{100, 100, 1}, {200, 100, 2}});
    trace(window, sites, 1, 2);
    const double cx = 200.0 / 3;
    const double R = 200.0 / 3;
    double farthest = 0;
    for (const Call& p : window.ofKind(Call::SetPixel)) {
        farthest = std::max(farthest, std::abs(std::hypot(p.x - cx, p.y - 100) - R));
    }
    EXPECT_LE(farthest, 1.0);
    // Two candidates in each of the 134 columns and the 134 rows.
    EXPECT_EQ(window.ofKind(Call::SetPixel).size(), 4U * 134U);
}

TEST(TraceBisector, YieldsOncePerStepAndReadsTheSizeAfterIt)
{
    // Columns 0..133 and rows 33..166 of the worked example's circle.
    RecordingSurface window(624, 535);
    trace(window, makeArrays({{100, 100, 1}, {200, 100, 2}}), 1, 2);
    EXPECT_EQ(yieldsFollowedBy(window, Call::OuterWidth), 134U);
    EXPECT_EQ(yieldsFollowedBy(window, Call::OuterHeight), 134U);
    EXPECT_EQ(window.yields, 268);
}

TEST(TraceBisector, SweepsOnlyInsideTheWindowAndFollowsItsSize)
{
    // A window 100 px wide (outer): columns 0..100 are drawn, and the yield of column
    // 101 ends the sweep.
    RecordingSurface narrow(100, 535);
    trace(narrow, makeArrays({{100, 100, 1}, {200, 100, 2}}), 1, 2);
    EXPECT_EQ(yieldsFollowedBy(narrow, Call::OuterWidth), 102U);
    for (const Call& call : narrow.calls) {
        if (call.kind == Call::OuterHeight) {
            break;  // the row sweep compares only y with the window
        }
        EXPECT_TRUE(call.kind != Call::SetPixel || call.x <= 100.0F);
    }

    // Shrinking during the 11th yield ends the column sweep at that step, before it
    // plots anything there.
    RecordingSurface shrinking(624, 535);
    shrinking.onYield = [&](long yields) {
        if (yields == 11) {
            shrinking.width = 5;
        }
    };
    trace(shrinking, makeArrays({{100, 100, 1}, {200, 100, 2}}), 1, 2);
    EXPECT_EQ(yieldsFollowedBy(shrinking, Call::OuterWidth), 11U);
}

TEST(TraceBisector, StopsAtTheYieldThatFindsTheWindowClosed)
{
    RecordingSurface window(624, 535);
    window.openYields = 5;
    EXPECT_FALSE(trace(window, makeArrays({{100, 100, 1}, {200, 100, 2}}), 1, 2));
    EXPECT_EQ(window.yields, 5);
    EXPECT_EQ(window.calls.back().kind, Call::KeepResponsive);
}

TEST(TraceBisector, DegenerateWeightsCostNoMoreThanTheWindow)
{
    const float w = 500.0F;
    struct Case {
        const char* name;
        SiteArrays sites;
    };
    const Case cases[] = {
        {"one float apart", makeArrays({{100, 200, w}, {400, 200, std::nextafter(w, 1000.0F)}})},
        {"one float apart, diagonal", makeArrays({{100, 100, w}, {400, 400, std::nextafter(w, 1000.0F)}})},
        {"equal weights", makeArrays({{100, 100, w}, {400, 300, w}})},
        {"equal weights, vertical line", makeArrays({{100, 100, w}, {400, 100, w}})},
        {"equal weights, same place", makeArrays({{100, 100, w}, {100, 100, w}})},
        {"same place", makeArrays({{100, 100, 3}, {100, 100, 7}})},
        {"far outside", makeArrays({{-1e7, 100, 3}, {-1.1e7, 100, 7}})},
    };
    for (const Case& c : cases) {
        RecordingSurface window(624, 535);
        EXPECT_TRUE(trace(window, c.sites, 1, 2));
        EXPECT_LE(window.yields, 625 + 536 + 2) << c.name;
        for (const Call& p : window.ofKind(Call::SetPixel)) {
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << c.name;
        }
    }
}

TEST(TraceBisector, EqualWeightsDrawThePerpendicularBisector)
{
    RecordingSurface window(624, 535);
    trace(window, makeArrays({{100, 100, 7}, {300, 200, 7}}), 1, 2);
    const std::vector<Call> plotted = window.ofKind(Call::SetPixel);
    ASSERT_FALSE(plotted.empty());
    for (const Call& p : plotted) {
        EXPECT_NEAR(std::hypot(p.x - 100, p.y - 100), std::hypot(p.x - 300, p.y - 200), 0.01);
    }
    // The vertical line x = 200 is met by the row sweep only: one point per row 0..535.
    RecordingSurface vertical(624, 535);
    trace(vertical, makeArrays({{100, 100, 7}, {300, 100, 7}}), 1, 2);
    EXPECT_EQ(yieldsFollowedBy(vertical, Call::OuterWidth), 0U);
    EXPECT_EQ(vertical.ofKind(Call::SetPixel).size(), 536U);
}

TEST(SitePairs, VisitsPairsInLexicographicOrder)
{
    for (const auto& [n, pairs] : {std::pair{4, 6}, std::pair{9, 36}, std::pair{1, 0}, std::pair{0, 0}}) {
        std::vector<std::pair<int, int>> visited;
        for (const auto [i, j] : SitePairs(static_cast<std::int16_t>(n))) {
            visited.emplace_back(i, j);
        }
        ASSERT_EQ(visited.size(), static_cast<std::size_t>(pairs));
        EXPECT_TRUE(std::is_sorted(visited.begin(), visited.end()));
        for (const auto& [i, j] : visited) {
            EXPECT_TRUE(1 <= i && i < j && j <= n);
        }
    }
}

}  // namespace
}  // namespace voroquarn
