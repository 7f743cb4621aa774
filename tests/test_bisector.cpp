// The distance, the nearer of two weighted sites and their bisector.
#include <gtest/gtest.h>

#include <cmath>

#include "diagram/ApolloniusCircle.h"
#include "diagram/Nearer.h"
#include "diagram/SiteArrays.h"
#include "diagram/StraightBisector.h"
#include "diagram/dist.h"

namespace voroquarn {
namespace {

SiteArrays twoSites(double xi, double yi, float wi, double xj, double yj, float wj)
{
    SiteArrays sites;
    sites.resize(2);
    sites.x[0] = xi;
    sites.y[0] = yi;
    sites.w[0] = wi;
    sites.x[1] = xj;
    sites.y[1] = yj;
    sites.w[1] = wj;
    return sites;
}

TEST(Dist, IsTheSquareRootOfTheSumOfSquares)
{
    EXPECT_EQ(dist(0, 0, 3, 4), 5.0);
    EXPECT_EQ(dist(3, 4, 0, 0), 5.0);
    EXPECT_EQ(dist(-7.5, 2, -7.5, 2), 0.0);
    EXPECT_EQ(dist(1e-3, 7, 250, -3), dist(250, -3, 1e-3, 7));
}

// Which of two sites is nearer at a point, in three answers; where the plain ratios of
// distance over weight round the wrong way (`hard`), the careful form still tells, and
// strictlyNearer says First only for First.
TEST(Nearer, TellsFirstSecondAndTieWhereThePlainRatiosFail)
{
    struct Case {
        double px, py;
        WeightedSite a, b;
        Nearer expected;
        bool hard;
    };
    const Case cases[] = {
        {1, 0, {0, 0, 1}, {10, 0, 1}, Nearer::First, false},
        {9, 0, {0, 0, 1}, {10, 0, 1}, Nearer::Second, false},
        {1.9, 0, {0, 0, 2}, {3, 0, 1}, Nearer::First, false},    // 0.95 against 1.1
        {7, 3, {5, 5, 2}, {5, 5, 2}, Nearer::Tie, false},       // copies
        {1, 1, {0, 0, 1}, {4, 4, 3}, Nearer::Tie, true},        // on the circle: sqrt 2 each
        {1, 1, {4, 4, 3}, {0, 0, 1}, Nearer::Tie, true},
        {0, 100, {0, 0, 1}, {1e-12, 0, 1}, Nearer::First, true},  // apart by 1e-24 px²
        {98, 193, {0, 0, 1}, {2e-13, -1e-13, 1}, Nearer::Second, true},
        {98, 193, {2e-13, -1e-13, 1}, {0, 0, 1}, Nearer::First, true},
    };
    for (const Case& c : cases) {
        const double ra = dist(c.px, c.py, c.a.x, c.a.y) / c.a.w;
        const double rb = dist(c.px, c.py, c.b.x, c.b.y) / c.b.w;
        const Nearer plain = ra < rb ? Nearer::First : ra > rb ? Nearer::Second : Nearer::Tie;
        SCOPED_TRACE(::testing::Message() << "at " << c.px << ", " << c.py << " b " << c.b.x << ", " << c.b.y);
        EXPECT_EQ(nearer(c.px, c.py, c.a, c.b), c.expected);
        EXPECT_EQ(strictlyNearer(c.px, c.py, c.a, ra, c.b, rb), c.expected == Nearer::First);
        EXPECT_EQ(plain != c.expected, c.hard) << "a case not as hard as it says";
    }
}

TEST(ApolloniusCircle, WorkedExample)
{
    const ApolloniusCircle c = apolloniusCircle(twoSites(100, 100, 1, 200, 100, 2), 1, 2);
    EXPECT_DOUBLE_EQ(c.cx, 200.0 / 3);
    EXPECT_EQ(c.cy, 99.99999999999999);
    EXPECT_DOUBLE_EQ(c.R, 200.0 / 3);
    EXPECT_EQ(c.cx - c.R, 0.0);
    EXPECT_EQ(std::floor(c.cx + c.R), 133.0);
}

TEST(ApolloniusCircle, SeparatesTheSitesInTheRatioOfTheirWeights)
{
    struct Case {
        double xi, yi;
        float wi;
        double xj, yj;
        float wj;
    };
    const Case cases[] = {
        {100, 100, 1, 200, 100, 2},
        {37, 412, 37.25F, 300, 20, 980.5F},
        {300, 300, 500, 0, 0, 505},
        // Weights one float apart: a circle of radius above 10^9.
        {100, 200, 500, 400, 200, std::nextafter(500.0F, 1000.0F)},
    };
    for (const Case& k : cases) {
        const ApolloniusCircle c = apolloniusCircle(twoSites(k.xi, k.yi, k.wi, k.xj, k.yj, k.wj), 1, 2);
        const double d = dist(k.xi, k.yi, k.xj, k.yj);
        const double t = static_cast<double>(k.wi) / (static_cast<double>(k.wi) + k.wj);
        // The point dividing the segment as wi : wj lies on the circle.
        const double px = k.xi + (k.xj - k.xi) * t;
        const double py = k.yi + (k.yj - k.yi) * t;
        EXPECT_NEAR(dist(px, py, c.cx, c.cy), c.R, 1e-6 * std::max(1.0, c.R / d)) << k.wj;
        // Site i is inside, site j outside.
        EXPECT_LT(dist(k.xi, k.yi, c.cx, c.cy), c.R);
        EXPECT_GT(dist(k.xj, k.yj, c.cx, c.cy), c.R);
    }
}

TEST(ApolloniusCircle, NearlyEqualWeightsKeepTheBoundaryInPlace)
{
    // 300 px apart, weights one float apart. The boundary crosses the segment at the
    // point dividing it as wi : wj; that point must lie on the circle within a small
    // fraction of a pixel, which needs the product of the weights in double precision
    // (in single precision the radius comes out 3.6 px too large).
    const float wi = 500.0F;
    const float wj = std::nextafter(wi, 1000.0F);
    const ApolloniusCircle c = apolloniusCircle(twoSites(100, 200, wi, 400, 200, wj), 1, 2);
    const double t = static_cast<double>(wi) / (static_cast<double>(wi) + wj);
    const double px = 100 + 300 * t;
    EXPECT_NEAR(c.cx + c.R, px, 0.01);
}

TEST(ApolloniusCircle, HalfChordStaysExactNearTheEdgeOfHugeCircles)
{
    // A circle of radius 2·10^9 whose right edge lies one double past column 300. There
    // the half chord is about 31 px; formed as R² − d², whose rounding step is 512, it
    // could come out anywhere from 0 to 40.
    const double R = std::nextafter(2e9 + 300, 3e9);
    const ApolloniusCircle huge{-2e9, 250, R};
    for (double X : {300.0, 299.0, 0.0}) {
        const double d = X - huge.cx;
        const long double exact = std::sqrt((static_cast<long double>(R) - d) * (static_cast<long double>(R) + d));
        EXPECT_NEAR(huge.halfChordAt(d), static_cast<double>(exact), 1e-6 * static_cast<double>(exact)) << X;
    }
    EXPECT_NEAR(huge.halfChordAt(300 - huge.cx), 30.9, 0.1);
    // The chord at offset 0 is the diameter; beyond the circle it is zero.
    const ApolloniusCircle small{10, 10, 5};
    EXPECT_EQ(small.halfChordAt(0), 5.0);
    EXPECT_EQ(small.halfChordAt(3), 4.0);
    EXPECT_EQ(small.halfChordAt(-5.5), 0.0);
}

TEST(StraightBisector, IsThePerpendicularBisectorOfTheSites)
{
    const StraightBisector slanted(twoSites(0, 0, 5, 10, 20, 5), 1, 2);
    ASSERT_TRUE(slanted.crossesColumns());
    ASSERT_TRUE(slanted.crossesRows());
    for (double x : {-10.0, 0.0, 5.0, 33.0}) {
        const double y = slanted.yAt(x);
        EXPECT_NEAR(dist(x, y, 0, 0), dist(x, y, 10, 20), 1e-9);
        EXPECT_NEAR(slanted.xAt(y), x, 1e-9);
    }
    const StraightBisector vertical(twoSites(0, 7, 5, 10, 7, 5), 1, 2);
    EXPECT_FALSE(vertical.crossesColumns());
    EXPECT_EQ(vertical.xAt(123), 5.0);
    const StraightBisector horizontal(twoSites(4, 0, 5, 4, 10, 5), 1, 2);
    EXPECT_FALSE(horizontal.crossesRows());
    EXPECT_EQ(horizontal.yAt(-3), 5.0);
    const StraightBisector coincident(twoSites(4, 4, 5, 4, 4, 5), 1, 2);
    EXPECT_FALSE(coincident.crossesColumns());
    EXPECT_FALSE(coincident.crossesRows());
}

}  // namespace
}  // namespace voroquarn
