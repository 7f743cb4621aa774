// The diagram's pieces as exact geometry, checked against the weighted distances and
// against the tracing; and the tracing of sites far out against a long double reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "core/driveToEnd.h"
#include "core/nearestPixel.h"
#include "diagram/ApolloniusCircle.h"
#include "diagram/BoundaryPieces.h"
#include "diagram/SiteArrays.h"
#include "diagram/SiteFile.h"
#include "diagram/dist.h"
#include "diagram/sortByWeight.h"
#include "diagram/traceBisector.h"
#include "support/RandomSites.h"
#include "support/RecordingSurface.h"

namespace voroquarn {
namespace {

using testing::Call;
using testing::describe;
using testing::randomSites;
using testing::RecordingSurface;

constexpr int W = 160;  // drawing area of the test window
constexpr int H = 120;
constexpr int OUTER_W = W + 6;
constexpr int OUTER_H = H + 27;
// The pixels of the drawing area, as the area their centres' nearest points cover.
constexpr ClipArea AREA{-0.5, -0.5, W - 0.5, H - 0.5};

using Shape = BoundaryPiece::Shape;

double ratio(const SiteArrays& s, int k, PlanePoint p)
{
    return dist(p.x, p.y, s.x[k - 1], s.y[k - 1]) / s.w[k - 1];
}

// Whether q lies within 10^-6 px of where a third site ties with the pair: there the
// tracing's rounding, up to about 10^-7 px for nearly flat circles, decides whether the
// third site is nearer. Exact copies of site i or j are no third sites.
bool nearATie(const SiteArrays& s, int i, int j, PlanePoint q)
{
    const auto copy = [&](int k, int l) {
        return sameSite(s, static_cast<std::size_t>(k - 1), static_cast<std::size_t>(l - 1));
    };
    const auto towards = [&](int k, double& gx, double& gy) {
        const double d = dist(q.x, q.y, s.x[k - 1], s.y[k - 1]) * s.w[k - 1];
        gx = (q.x - s.x[k - 1]) / d;
        gy = (q.y - s.y[k - 1]) / d;
    };
    for (int k = 1; k <= s.N; ++k) {
        if (k == i || k == j || copy(k, i) || copy(k, j)) {
            continue;
        }
        double gix = 0;
        double giy = 0;
        double gkx = 0;
        double gky = 0;
        towards(i, gix, giy);
        towards(k, gkx, gky);
        if (std::abs(ratio(s, k, q) - ratio(s, i, q)) < 1e-6 * std::hypot(gkx - gix, gky - giy)) {
            return true;
        }
    }
    return false;
}

bool inArea(PlanePoint p, double slack = 0)
{
    return p.x >= AREA.left - slack && p.x <= AREA.right + slack && p.y >= AREA.top - slack &&
           p.y <= AREA.bottom + slack;
}

double length(const BoundaryPiece& p)
{
    return p.shape == Shape::Arc ? p.radius * p.sweep : std::hypot(p.end.x - p.start.x, p.end.y - p.start.y);
}

// The distance of a point from a piece.
double distanceTo(const BoundaryPiece& p, PlanePoint q)
{
    const double toEnds =
        std::min(std::hypot(q.x - p.start.x, q.y - p.start.y), std::hypot(q.x - p.end.x, q.y - p.end.y));
    if (p.shape == Shape::Arc) {
        const double angle = std::atan2(q.y - p.centre.y, q.x - p.centre.x);
        const double into = std::remainder(angle - p.startAngle - p.sweep / 2, 2 * std::numbers::pi);
        if (std::abs(into) <= p.sweep / 2) {
            return std::abs(std::hypot(q.x - p.centre.x, q.y - p.centre.y) - p.radius);
        }
        return toEnds;
    }
    const double dx = p.end.x - p.start.x;
    const double dy = p.end.y - p.start.y;
    const double along = ((q.x - p.start.x) * dx + (q.y - p.start.y) * dy) / (dx * dx + dy * dy);
    const double t = std::clamp(along, 0.0, 1.0);
    return std::isfinite(t) ? std::hypot(q.x - p.start.x - t * dx, q.y - p.start.y - t * dy) : toEnds;
}

double distanceTo(const std::vector<BoundaryPiece>& pieces, PlanePoint q)
{
    double nearest = std::numeric_limits<double>::infinity();
    for (const BoundaryPiece& p : pieces) {
        nearest = std::min(nearest, distanceTo(p, q));
    }
    return nearest;
}

// Points along a piece no farther apart than a tenth of a pixel, and at least 17.
std::vector<PlanePoint> samples(const BoundaryPiece& p)
{
    const int count = 16 + static_cast<int>(std::min(1e5, length(p) / 0.1));
    std::vector<PlanePoint> points;
    for (int n = 0; n <= count; ++n) {
        points.push_back(p.pointAt(static_cast<double>(n) / count));
    }
    return points;
}

// Where consecutive samples pass an integral column or row inside the area, the point
// between them on that column or row.
template <class Each>
void forEachCrossing(const std::vector<PlanePoint>& points, Each&& each)
{
    for (std::size_t n = 1; n < points.size(); ++n) {
        const PlanePoint a = points[n - 1];
        const PlanePoint b = points[n];
        for (double X = std::ceil(std::min(a.x, b.x)); X <= std::max(a.x, b.x) && a.x != b.x; ++X) {
            const PlanePoint q{X, a.y + (b.y - a.y) * (X - a.x) / (b.x - a.x)};
            if (X >= 0 && X < W && inArea(q)) {
                each(q);
            }
        }
        for (double Y = std::ceil(std::min(a.y, b.y)); Y <= std::max(a.y, b.y) && a.y != b.y; ++Y) {
            const PlanePoint q{a.x + (b.x - a.x) * (Y - a.y) / (b.y - a.y), Y};
            if (Y >= 0 && Y < H && inArea(q)) {
                each(q);
            }
        }
    }
}

// The pixels one pair's tracing set, and its candidate points inside the area, the
// nub at a sweep's first step left out: where the first column or row lies outside
// the circle, both candidates there are the centre's row or column, up to a pixel off.
struct Traced {
    std::vector<char> pixels = std::vector<char>(static_cast<std::size_t>(W * H), 0);
    std::vector<PlanePoint> points;

    bool anyWithinOnePixel(PlanePoint q) const
    {
        const auto x = static_cast<long>(std::floor(q.x + 0.5));
        const auto y = static_cast<long>(std::floor(q.y + 0.5));
        for (long v = std::max(0L, y - 1); v <= std::min<long>(H - 1, y + 1); ++v) {
            for (long u = std::max(0L, x - 1); u <= std::min<long>(W - 1, x + 1); ++u) {
                if (pixels[static_cast<std::size_t>(v * W + u)] != 0) {
                    return true;
                }
            }
        }
        return false;
    }
};

Traced trace(const SiteArrays& sites, int i, int j)
{
    RecordingSurface window(OUTER_W, OUTER_H);
    driveToEnd(traceBisector(window, sites, i, j), window);
    constexpr double NONE = std::numeric_limits<double>::quiet_NaN();
    PlanePoint nubs[2] = {{NONE, NONE}, {NONE, NONE}};
    if (sites.w[i - 1] != sites.w[j - 1]) {
        const ApolloniusCircle c = apolloniusCircle(sites, i, j);
        if (std::floor(c.left()) < c.left()) {
            nubs[0] = c.withinAPixel({std::floor(c.left()), c.yInColumn(std::floor(c.left())).first});
        }
        if (std::floor(c.top()) < c.top()) {
            nubs[1] = c.withinAPixel({c.xInRow(std::floor(c.top())).first, std::floor(c.top())});
        }
    }
    Traced traced;
    for (const Call& p : window.ofKind(Call::SetPixel)) {
        const PlanePoint q{p.x, p.y};
        const double column = nearestPixel(q.x);  // as surfaces set it
        const double row = nearestPixel(q.y);
        if (!(column >= 0 && column < W && row >= 0 && row < H)) {
            continue;
        }
        traced.pixels[static_cast<std::size_t>(row * W + column)] = 1;
        const bool nub = std::any_of(std::begin(nubs), std::end(nubs), [&](PlanePoint n) {
            return p.x == static_cast<float>(n.x) && p.y == static_cast<float>(n.y);
        });
        if (!nub) {
            traced.points.push_back(q);
        }
    }
    return traced;
}

// One pair of a diagram: the sweep's plain formulas kept, the pieces on the boundary, and
// the pieces and the tracing in agreement both ways.
void checkPair(const SiteArrays& sites, const std::vector<BoundaryPiece>& all, int i, int j)
{
    SCOPED_TRACE(::testing::Message() << "pair (" << i << ", " << j << ")");
    // Exact copies of a site draw the same boundaries; the first of them has the pieces.
    const auto first = [&](int k) {
        int l = 1;
        while (sites.x[l - 1] != sites.x[k - 1] || sites.y[l - 1] != sites.y[k - 1] || sites.w[l - 1] != sites.w[k - 1]) {
            ++l;
        }
        return l;
    };
    const int pi = std::min(first(i), first(j));
    const int pj = std::max(first(i), first(j));
    std::vector<BoundaryPiece> pieces;
    std::copy_if(all.begin(), all.end(), std::back_inserter(pieces),
                 [&](const BoundaryPiece& p) { return p.i == pi && p.j == pj; });
    const Traced traced = trace(sites, i, j);

    // Sites inside a window keep the sweep's plain formulas, bit for bit.
    if (sites.w[i - 1] != sites.w[j - 1]) {
        const ApolloniusCircle c = apolloniusCircle(sites, i, j);
        ASSERT_FALSE(c.fromNearSide);
        ASSERT_TRUE(c.left() == c.cx - c.R && c.right() == c.cx + c.R && c.top() == c.cy - c.R &&
                    c.bottom() == c.cy + c.R);
        for (double X = std::max(0.0, std::floor(c.left())); X <= std::min<double>(OUTER_W, c.right()); ++X) {
            const double h = c.halfChordAt(X - c.cx);
            ASSERT_TRUE(c.yInColumn(X).first == c.cy + h && c.yInColumn(X).second == c.cy - h) << X;
        }
    }

    for (const BoundaryPiece& p : pieces) {
        if (p.shape == Shape::Arc) {
            ASSERT_TRUE(p.sweep > 0 && p.sweep <= 2 * std::numbers::pi);
            const double rounding = 1e-12 * (p.radius + std::abs(p.centre.x) + std::abs(p.centre.y));
            for (PlanePoint e : {p.start, p.end}) {
                ASSERT_NEAR(std::hypot(e.x - p.centre.x, e.y - p.centre.y), p.radius, rounding);
            }
            const double startAngle = std::atan2(p.start.y - p.centre.y, p.start.x - p.centre.x);
            ASSERT_NEAR(std::remainder(startAngle - p.startAngle, 2 * std::numbers::pi), 0,
                        rounding / p.radius);
            ASSERT_LT(std::hypot(p.pointAt(1).x - p.end.x, p.pointAt(1).y - p.end.y), 1e-6);
        }
        const std::vector<PlanePoint> points = samples(p);
        for (PlanePoint q : points) {
            ASSERT_TRUE(inArea(q, 1e-9)) << q.x << ", " << q.y;
            // Within 1e-9 relative, or 1e-12 px where a circle lies so close around its
            // site that the coordinates' own rounding (10^-14 px) is more.
            const double ri = ratio(sites, i, q);
            const double tolerance = 1e-9 * ri + 1e-12 / sites.w[i - 1];
            ASSERT_NEAR(ri, ratio(sites, j, q), tolerance) << q.x << ", " << q.y;
            for (int k = 1; k <= sites.N; ++k) {
                ASSERT_TRUE(k == i || k == j || ratio(sites, k, q) >= ri - tolerance)
                    << "site " << k << " is nearer at " << q.x << ", " << q.y;
            }
        }
        // Where a piece crosses a column or row, the tracing's candidate is the same point.
        forEachCrossing(points, [&](PlanePoint q) {
            EXPECT_TRUE(traced.anyWithinOnePixel(q) || nearATie(sites, i, j, q))
                << "nothing traced at the crossing " << q.x << ", " << q.y;
        });
    }
    for (PlanePoint q : traced.points) {
        ASSERT_TRUE(distanceTo(pieces, q) <= 1.0 || nearATie(sites, i, j, q))
            << "traced at " << q.x << ", " << q.y;
    }
}

TEST(BoundaryPieces, LieOnTheBoundaryAndMatchTheTracing)
{
    std::mt19937 engine(20261214);
    for (int round = 0; round < 1000; ++round) {
        SiteArrays sites = randomSites(engine, OUTER_W, OUTER_H);
        sortByWeight(sites.N, sites.w, sites.x, sites.y);
        SCOPED_TRACE(::testing::Message() << "round " << round << ": " << describe(sites));
        const std::vector<BoundaryPiece> pieces = boundaryPieces(sites, AREA);
        for (int i = 1; i < sites.N; ++i) {
            for (int j = i + 1; j <= sites.N; ++j) {
                checkPair(sites, pieces, i, j);
                ASSERT_FALSE(HasFailure());
            }
        }
    }
}

SiteArrays sorted(std::initializer_list<Site> list)
{
    SiteArrays sites;
    for (const Site& site : list) {
        sites.add(site.x, site.y, site.w);
    }
    sortByWeight(sites.N, sites.w, sites.x, sites.y);
    return sites;
}

TEST(BoundaryPieces, DegenerateBisectors)
{
    const ClipArea area{0, 0, 617, 507};
    const float w = 500.0F;
    const float justAbove = std::nextafter(w, 1000.0F);
    constexpr Shape Arc = Shape::Arc;
    constexpr Shape Segment = Shape::Segment;
    struct Case {
        const char* name;
        SiteArrays sites;
        std::vector<Shape> shapes;  // of the pair (1, 2)
    };
    const Case cases[] = {
        {"alone: the whole circle, as two halves", sorted({{100, 100, 1}, {200, 100, 2}}), {Arc, Arc}},
        {"a copy of the heavier site is no rival", sorted({{100, 100, 1}, {200, 100, 2}, {200, 100, 2}}),
         {Arc, Arc}},
        {"a third site nearer everywhere", sorted({{100, 100, 1}, {200, 100, 2}, {400, 300, 500}}), {}},
        {"equal weights: a straight line", sorted({{100, 100, w}, {400, 300, w}}), {Segment}},
        {"weights one float apart: radius 2.5e9", sorted({{100, 200, w}, {400, 200, justAbove}}), {Arc}},
        {"far out: flatter than its rounding",
         sorted({{-499999984441.2, 250, w}, {500000015558.8, 250, justAbove}}), {Segment}},
        {"at one place", sorted({{100, 100, 3}, {100, 100, 7}}), {}},
        {"at one place, equal weights", sorted({{100, 100, w}, {100, 100, w}}), {}},
        {"beyond double range", sorted({{-1e308, 100, w}, {1e308, 100, justAbove}}), {}},
        {"extreme weights", sorted({{-1e300, 100, 1e-38F}, {1e300, 100, 3e38F}}), {}},
    };
    for (const Case& c : cases) {
        std::vector<Shape> shapes;
        for (const BoundaryPiece& p : boundaryPieces(c.sites, area)) {
            if (p.i == 1 && p.j == 2) {
                shapes.push_back(p.shape);
            }
            for (double v : {p.start.x, p.start.y, p.end.x, p.end.y, p.centre.x, p.centre.y, p.radius,
                             p.startAngle, p.sweep}) {
                EXPECT_TRUE(std::isfinite(v)) << c.name;
            }
        }
        EXPECT_EQ(shapes, c.shapes) << c.name;
    }

    // The two halves of a whole circle join up, each half a turn of the same circle.
    const std::vector<BoundaryPiece> halves = boundaryPieces(sorted({{100, 100, 1}, {200, 100, 2}}), area);
    ASSERT_EQ(halves.size(), 2U);
    for (const BoundaryPiece& half : halves) {
        EXPECT_DOUBLE_EQ(half.sweep, std::numbers::pi);
        EXPECT_DOUBLE_EQ(half.radius, 200.0 / 3);
        EXPECT_NEAR(half.centre.x, 200.0 / 3, 1e-12);
        EXPECT_NEAR(half.centre.y, 100, 1e-12);
    }
    for (int n : {0, 1}) {
        const PlanePoint end = halves[n].end;
        const PlanePoint next = halves[1 - n].start;
        EXPECT_NEAR(std::hypot(end.x - next.x, end.y - next.y), 0, 1e-12);
    }
}

// How far q lies from the bisector of sites 1 and 2, in long double: |f| / |grad f| for
// f = d1 / w1 - d2 / w2, exact to far below a pixel for sites 10^12 px out.
long double offTheBoundary(const SiteArrays& s, long double x, long double y)
{
    long double f = 0;
    long double gx = 0;
    long double gy = 0;
    for (int k = 0; k < 2; ++k) {
        const long double dx = x - s.x[k];
        const long double dy = y - s.y[k];
        const long double d = std::sqrt(dx * dx + dy * dy);
        const long double sign = k == 0 ? 1 : -1;
        f += sign * d / s.w[k];
        gx += sign * dx / (d * s.w[k]);
        gy += sign * dy / (d * s.w[k]);
    }
    return std::abs(f) / std::sqrt(gx * gx + gy * gy);
}

// Where the true boundary of sites 1 and 2 crosses the column or row at, within the
// area: where the site of the smaller ratio changes.
std::vector<PlanePoint> trueCrossings(const SiteArrays& s, bool column, double at)
{
    const auto side = [&](long double t) {
        const long double x = column ? at : t;
        const long double y = column ? t : at;
        const long double x0 = x - s.x[0];
        const long double y0 = y - s.y[0];
        const long double x1 = x - s.x[1];
        const long double y1 = y - s.y[1];
        return std::sqrt(x0 * x0 + y0 * y0) / s.w[0] < std::sqrt(x1 * x1 + y1 * y1) / s.w[1];
    };
    const double end = column ? AREA.bottom : AREA.right;
    std::vector<PlanePoint> found;
    for (long double lo = -0.5; lo < end; lo += 0.5) {
        long double hi = lo + 0.5;
        if (side(lo) == side(hi)) {
            continue;
        }
        long double a = lo;
        for (int n = 0; n < 64; ++n) {
            const long double mid = (a + hi) / 2;
            (side(mid) == side(a) ? a : hi) = mid;
        }
        const auto crossing = static_cast<double>(a);
        found.push_back(column ? PlanePoint{at, crossing} : PlanePoint{crossing, at});
    }
    return found;
}

// Sites 10^9 to 10^12 px apart whose weights differ by less than 10^-7: their circle's
// centre and radius are 10^16 to 10^19 px, and its near side crosses the drawing area.
// In the plain form cx + h lands only on multiples of ulp(R): it drew them up to 3 px
// off at 10^9 and 620 px off at 10^12, broken and with spurs.
TEST(FarSites, AreTracedOnTheirTrueBoundary)
{
    const std::pair<float, float> weights[] = {
        {500.0F, std::nextafter(500.0F, 1000.0F)},
        {1.5F, std::nextafter(1.5F, 2.0F)},
        {700.3F, 700.3F * (1 + 1e-7F)},
    };
    std::mt19937 engine(20261215);
    std::uniform_real_distribution<double> unit(0, 1);
    for (double apart : {1e9, 1e10, 1e11, 1e12}) {
        for (int direction = 0; direction < 8; ++direction) {
            const double angle =
                direction < 4 ? direction * std::numbers::pi / 2 : 2 * std::numbers::pi * unit(engine);
            const double ux = direction < 4 ? std::round(std::cos(angle)) : std::cos(angle);
            const double uy = direction < 4 ? std::round(std::sin(angle)) : std::sin(angle);
            const double px = W * (0.25 + unit(engine) / 2);  // the boundary passes here
            const double py = H * (0.25 + unit(engine) / 2);
            for (const auto& [wi, wj] : weights) {
                SiteArrays sites;
                sites.resize(2);
                const double t = static_cast<double>(wi) / (static_cast<double>(wi) + wj);
                sites.x = {px - ux * apart * t, px - ux * apart * t + ux * apart};
                sites.y = {py - uy * apart * t, py - uy * apart * t + uy * apart};
                sites.w = {wi, wj};
                SCOPED_TRACE(::testing::Message() << describe(sites));
                ASSERT_TRUE(apolloniusCircle(sites, 1, 2).fromNearSide);

                const Traced traced = trace(sites, 1, 2);
                const std::vector<BoundaryPiece> pieces = boundaryPieces(sites, AREA);
                for (PlanePoint q : traced.points) {
                    ASSERT_LT(offTheBoundary(sites, q.x, q.y), 0.01) << "traced at " << q.x << ", " << q.y;
                }
                for (const BoundaryPiece& p : pieces) {
                    ASSERT_EQ(p.shape, Shape::Segment);
                    for (PlanePoint q : samples(p)) {
                        ASSERT_LT(offTheBoundary(sites, q.x, q.y), 0.01) << "piece at " << q.x << ", " << q.y;
                    }
                }
                int crossings = 0;
                for (bool column : {true, false}) {
                    for (int at = 0; at < (column ? W : H); ++at) {
                        for (PlanePoint q : trueCrossings(sites, column, at)) {
                            ++crossings;
                            ASSERT_TRUE(traced.anyWithinOnePixel(q))
                                << "nothing traced at " << q.x << ", " << q.y;
                            ASSERT_LT(distanceTo(pieces, q), 0.01) << "no piece at " << q.x << ", " << q.y;
                        }
                    }
                }
                EXPECT_GE(crossings, H / 2);
            }
        }
    }
}

}  // namespace
}  // namespace voroquarn
