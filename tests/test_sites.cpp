// Site generation, markers and the order of the drawing run's first steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <stdexcept>

#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/drawDiagram.h"
#include "diagram/makeSites.h"
#include "support/RecordingSurface.h"

namespace voroquarn {
namespace {

using testing::Call;
using testing::RecordingSurface;
using testing::ScriptedRandom;

constexpr float DESIGN_OUTER_WIDTH = 624;  // outer size of the design-time window
constexpr float DESIGN_OUTER_HEIGHT = 535;
constexpr float BELOW_ONE = 0.99999994F;  // the largest float below 1

// Draws for four sites, each with the given x, y and weight draws.
std::vector<float> fourSites(float rx, float ry, float rw)
{
    std::vector<float> draws{0.0F};
    for (int k = 0; k < 4; ++k) {
        draws.insert(draws.end(), {rx, ry, rw});
    }
    return draws;
}

std::vector<Call::Kind> kinds(const std::vector<Call>& calls)
{
    std::vector<Call::Kind> result;
    for (const Call& call : calls) {
        result.push_back(call.kind);
    }
    return result;
}

TEST(DrawingRun, ShowsAndClearsTheWindowBeforeTheFirstMarker)
{
    RecordingSurface window(DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT);
    ScriptedRandom random({0.0F, 0.1F, 0.1F, 0.1F, 0.9F, 0.1F, 0.2F, 0.1F, 0.9F, 0.3F, 0.9F, 0.9F, 0.4F},
                          window);
    EXPECT_TRUE(driveToEnd(drawDiagram(window, random), window));

    const auto firstCircle = std::find_if(window.calls.begin(), window.calls.end(),
                                          [](const Call& c) { return c.kind == Call::DrawCircle; });
    ASSERT_NE(firstCircle, window.calls.end());
    const std::vector<Call> beforeMarkers(window.calls.begin(), firstCircle);
    std::vector<Call::Kind> start = kinds(beforeMarkers);
    start.resize(4);
    EXPECT_EQ(start, (std::vector<Call::Kind>{Call::ShowWindow, Call::Reseed, Call::Clear,
                                              Call::SetDrawingColour}));
    EXPECT_EQ(beforeMarkers[3].colour, 0xFFFFFFU);
    EXPECT_EQ(random.drawn(), 13U);

    // No yield before the tracing, and every marker before the first boundary pixel.
    const auto firstYield = std::find_if(window.calls.begin(), window.calls.end(),
                                         [](const Call& c) { return c.kind == Call::KeepResponsive; });
    const auto lastPrint = std::find_if(window.calls.rbegin(), window.calls.rend(),
                                        [](const Call& c) { return c.kind == Call::DrawNumber; });
    EXPECT_LE(lastPrint.base(), firstYield);
}

Steps failingAfterOneStep(int& stepsTaken)
{
    co_yield Steps::Step{};
    ++stepsTaken;
    throw std::bad_alloc();
}

Steps awaitingOneThatFails(int& stepsTaken, bool& wentOn)
{
    co_yield Steps::Step{};
    co_await failingAfterOneStep(stepsTaken);
    wentOn = true;
    co_yield Steps::Step{};
}

// An exception in a step, such as memory that runs out, ends the drawing and reaches
// its driver, from a nested drawing as from the outermost one, rather than ending the
// program on the spot.
// Asked to, a drawing says how many steps it takes before the first of them, exactly:
// few sites and many, filled or not, circles, straight lines across and along the
// axes, sites beyond the window, and boundaries drawn smoothly.
TEST(DrawingRun, SaysHowManyStepsItTakes)
{
    struct Case {
        std::vector<Site> given;
        std::optional<int> count;
        bool fill;
        bool smooth = false;
    };
    const Case cases[] = {
        {{}, {}, false},
        {{}, {}, true},
        {{{100, 100, 300}, {300, 100, 300}, {200, 400, 300}, {-50, 900, 40}, {200, 250, 300}}, {}, true},
        {{{100, 100, 500}, {100, 300, 500}, {700, 50, 2}}, {}, false},
        {{}, 300, false},
        {{}, 300, true},
        {{}, {}, true, true},
        {{}, 300, false, true},
    };
    for (std::uint32_t seed = 0; seed < 4; ++seed) {
        for (const Case& c : cases) {
            RecordingSurface window(DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT);
            SeededRandom random(seed);
            RunSettings settings;
            settings.givenSites = c.given;
            settings.count = c.count;
            settings.fill = c.fill;
            settings.smooth = c.smooth;
            settings.sayStepsAhead = true;
            Steps drawing = drawDiagram(window, random, settings);
            std::optional<std::int64_t> said;
            std::int64_t taken = 0;
            while (drawing.next()) {
                if (const auto ahead = drawing.takeStepsAhead()) {
                    EXPECT_FALSE(said) << "said twice";
                    said = ahead;
                }
                taken += said && drawing.paced() ? 1 : 0;
            }
            ASSERT_TRUE(said) << "seed " << seed;
            EXPECT_EQ(*said, taken) << "seed " << seed << ", " << c.given.size() << " sites given";
            EXPECT_GT(taken, 100);
        }
    }
}

TEST(DrawingRun, AnExceptionInAStepEndsTheDrawingAndReachesItsDriver)
{
    int stepsTaken = 0;
    bool wentOn = false;
    Steps drawing = awaitingOneThatFails(stepsTaken, wentOn);
    EXPECT_TRUE(drawing.next());
    EXPECT_TRUE(drawing.next());
    EXPECT_THROW(drawing.next(), std::bad_alloc);
    EXPECT_EQ(stepsTaken, 1);
    EXPECT_FALSE(wentOn);
    EXPECT_FALSE(drawing.next());

    // The run itself, with random numbers that run out among its sites.
    RecordingSurface window(DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT);
    ScriptedRandom random({0.0F, 0.1F}, window);
    EXPECT_THROW(driveToEnd(drawDiagram(window, random), window), std::out_of_range);
}

TEST(DrawingRun, TracesEachPairAroundItsLighterSite)
{
    // Two given sites, the lighter first: their boundary is the worked example's circle
    // around the lighter site, centre (66.7, 100) and radius 66.7, two points in each of
    // its 134 columns and 134 rows.
    RecordingSurface window(DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT);
    ScriptedRandom random({}, window);
    RunSettings settings;
    settings.givenSites = {{100, 100, 1}, {200, 100, 2}};
    EXPECT_TRUE(driveToEnd(drawDiagram(window, random, settings), window));
    const std::vector<Call> plotted = window.ofKind(Call::SetPixel);
    EXPECT_EQ(plotted.size(), 4U * 134U);
    double farthest = 0;
    for (const Call& p : plotted) {
        farthest = std::max(farthest, std::abs(std::hypot(p.x - 200.0 / 3, p.y - 100.0) - 200.0 / 3));
    }
    EXPECT_LE(farthest, 1.0);
}

TEST(MakeSites, DrawsCountThenPositionAndWeightAndMarkerSiteBySite)
{
    RecordingSurface window(DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT);
    window.currentColour = 0xFFFFFF;
    ScriptedRandom random(fourSites(0.5F, 0.5F, 0.5F), window);
    SiteArrays sites;
    makeSites(window, random, sites);

    std::vector<Call::Kind> expected{Call::NextUniform};
    for (int k = 0; k < 4; ++k) {
        expected.insert(expected.end(), {Call::NextUniform, Call::OuterWidth, Call::NextUniform, Call::OuterHeight,
                                         Call::NextUniform, Call::GetDrawingColour, Call::DrawCircle,
                                         Call::DrawNumber});
    }
    EXPECT_EQ(kinds(window.calls), expected);

    for (const Call& circle : window.ofKind(Call::DrawCircle)) {
        EXPECT_EQ(circle.radius, 3.0F);
        EXPECT_EQ(circle.colour, 0xFFFFFFU);
    }
}

TEST(MakeSites, PlacesSitesInsideTheMarginsOfTheOuterSize)
{
    struct Case {
        float outerWidth, outerHeight, rx, ry, rw;
        double x, y;
        float w;
        SiteMargins margins = DESIGN_MARGINS;
    };
    const Case cases[] = {
        {DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT, 0.25F, 0.75F, 0.5F, 163.5, 393.75, 500.5F},
        {DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT, 0.0F, 0.0F, 0.0F, 15.0, 15.0, 1.0F},
        // The largest draw stays below the far margin: x < 609, y < 520.
        {DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT, BELOW_ONE, BELOW_ONE, 0.5F, 594.0 * BELOW_ONE + 15,
         505.0 * BELOW_ONE + 15, 500.5F},
        // A window narrower and lower than two margins: the span is negative.
        {20, 10, 0.5F, 0.5F, 0.5F, 10.0, 5.0, 500.5F},
        // Margins of their own on every side, as for markers that must fit a screen.
        {1000, 500, 0.0F, BELOW_ONE, 0.5F, 5.0, 474.0 * BELOW_ONE + 6, 500.5F, {5, 6, 30, 20}},
    };
    for (const Case& c : cases) {
        RecordingSurface window(c.outerWidth, c.outerHeight);
        ScriptedRandom random(fourSites(c.rx, c.ry, c.rw), window);
        SiteArrays sites;
        makeSites(window, random, sites, c.margins);
        EXPECT_EQ(sites.x[3], c.x);
        EXPECT_EQ(sites.y[3], c.y);
        EXPECT_EQ(sites.w[3], c.w);
        EXPECT_EQ(window.ofKind(Call::DrawCircle)[3].x, static_cast<float>(c.x));
    }
}

TEST(MakeSites, CountsFourToNineSites)
{
    const std::pair<float, int> cases[] = {{0.0F, 4}, {0.5F, 7}, {BELOW_ONE, 9}, {1.0F / 6, 5}};
    for (const auto& [r, n] : cases) {
        RecordingSurface window(DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT);
        std::vector<float> draws(1 + 3 * 9, 0.5F);
        draws[0] = r;
        ScriptedRandom random(draws, window);
        SiteArrays sites;
        makeSites(window, random, sites);
        EXPECT_EQ(sites.N, n) << "r = " << r;
        EXPECT_EQ(random.drawn(), static_cast<std::size_t>(1 + 3 * n));
        EXPECT_EQ(window.ofKind(Call::DrawCircle).size(), static_cast<std::size_t>(n));
    }
}

TEST(MakeSites, LabelsShowTheIntegerPartOfTheStoredWeight)
{
    // The label is the integer part of the weight, not the nearest integer: the largest
    // draw gives 999.99994, labelled 999.
    const std::pair<float, double> cases[] = {{BELOW_ONE, 999}, {0.0F, 1}, {0.5F, 500}};
    for (const auto& [r, label] : cases) {
        RecordingSurface window(DESIGN_OUTER_WIDTH, DESIGN_OUTER_HEIGHT);
        ScriptedRandom random(fourSites(0.5F, 0.5F, r), window);
        SiteArrays sites;
        makeSites(window, random, sites);
        EXPECT_LT(sites.w[0], 1000.0F);
        EXPECT_EQ(window.ofKind(Call::DrawNumber)[0].value, label);
    }
}

}  // namespace
}  // namespace voroquarn
