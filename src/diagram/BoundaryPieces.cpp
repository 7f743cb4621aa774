#include "diagram/BoundaryPieces.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "diagram/BisectorCurve.h"
#include "diagram/BoundaryTest.h"
#include "diagram/SiteArrays.h"

namespace voroquarn {

namespace {

constexpr double PI = std::numbers::pi;

// A piece that turns by less than this is a segment: it bends away from its chord by
// R (1 - cos(sweep / 2)) < R * 2^-57, less than the rounding of its radius, and less
// than 10^-9 of its distance from the sites (at least about R * 2^-24, since weights
// differ by at least one float).
constexpr double FLAT_SWEEP = 0x1p-27;

// Room for the split points of one bisector: two crossings with each bisector of a
// third site with either site of the pair, with each of the area's four edges, and the
// two ends of the circle's parameter range.
constexpr int MAX_SPLITS = 2 * 2 * (MAX_SITES - 2) + 2 * 4 + 2;

// A function of the plane that the splits are the zeros of, given about the curve's
// point P as F(P + p) = alpha |p|^2 + m.p + f0.
struct PlaneFunction {
    double alpha;
    double mx;
    double my;
    double f0;
};

// The bisector of the pair, its points by one parameter: for a circle the angle phi
// about its centre from the point P (growing from u towards v, u turned by +90 degrees),
// in -pi..pi; for a line the distance s from P along v.
class Curve {
public:
    explicit Curve(const BisectorCurve& c) : c_(c), vx_(-c.uy), vy_(c.ux) {}

    bool straight() const { return c_.curvature == 0; }
    const BisectorCurve& geometry() const { return c_; }

    PlanePoint at(double t) const
    {
        if (straight()) {
            return {c_.px + t * vx_, c_.py + t * vy_};
        }
        // P + R (v sin phi - u (1 - cos phi)), with 1 - cos phi = 2 sin²(phi / 2): every
        // term is of the size of the offset from P, however large R is.
        const double along = c_.radius * std::sin(t);
        const double half = std::sin(t / 2);
        const double across = c_.radius * 2 * half * half;
        return {c_.px + along * vx_ - across * c_.ux, c_.py + along * vy_ - across * c_.uy};
    }

    // The parameters where F is zero along the curve, appended to splits. The curve's
    // points are P + (2 tau v - 2 k tau^2 u) / (1 + k^2 tau^2) for real tau (phi =
    // 2 atan(k tau), s = 2 tau), along which (1 + k^2 tau^2) F is the quadratic below:
    // no term holds R, so the zeros stay exact for the flattest circles.
    template <class Splits>
    void appendZeros(const PlaneFunction& f, Splits& splits) const
    {
        const double k = c_.curvature;
        const double mu = f.mx * c_.ux + f.my * c_.uy;
        const double mv = f.mx * vx_ + f.my * vy_;
        std::array<double, 2> roots{};
        const int count = quadraticRoots(4 * f.alpha - 2 * k * mu + k * k * f.f0, 2 * mv, f.f0, roots);
        for (int n = 0; n < count; ++n) {
            const double t = straight() ? 2 * roots[n] : 2 * std::atan(k * roots[n]);
            if (std::isfinite(t)) {
                splits.push(t);
            }
        }
    }

private:
    // The real roots of a2 x^2 + a1 x + a0, formed without cancellation; none when all
    // coefficients vanish. Scaled first, so that no square overflows.
    static int quadraticRoots(double a2, double a1, double a0, std::array<double, 2>& roots)
    {
        const double scale = std::max({std::abs(a2), std::abs(a1), std::abs(a0)});
        if (!(scale > 0 && std::isfinite(scale))) {
            return 0;
        }
        a2 /= scale;
        a1 /= scale;
        a0 /= scale;
        if (a2 == 0) {
            // The other root lies at infinity: phi = pi, always a split.
            if (a1 == 0) {
                return 0;
            }
            roots[0] = -a0 / a1;
            return 1;
        }
        const double discriminant = a1 * a1 - 4 * a2 * a0;
        if (discriminant < 0) {
            return 0;
        }
        const double q = -(a1 + std::copysign(std::sqrt(discriminant), a1)) / 2;
        if (q == 0) {
            roots[0] = 0;
            return 1;
        }
        roots[0] = q / a2;
        roots[1] = a0 / q;
        return 2;
    }

    BisectorCurve c_;
    double vx_;
    double vy_;
};

class Splits {
public:
    void push(double t) { values_[count_++] = t; }
    // Sorted, each value once, those outside lo..hi left out.
    void settle(double lo, double hi)
    {
        const auto begin = values_.begin();
        const auto end = std::remove_if(begin, begin + count_, [&](double t) { return t < lo || t > hi; });
        std::sort(begin, end);
        count_ = static_cast<int>(std::unique(begin, end) - begin);
    }
    int count() const { return count_; }
    double operator[](int n) const { return values_[n]; }

private:
    std::array<double, MAX_SPLITS> values_{};
    int count_ = 0;
};

bool inside(const ClipArea& area, PlanePoint p)
{
    return p.x >= area.left && p.x <= area.right && p.y >= area.top && p.y <= area.bottom;
}

// The zero set of w²|Q - S|² - ws²|Q - K|²: where the weighted distances to a site S of
// weight ws and to a third site K of weight w are equal.
PlaneFunction bisectorOf(const BisectorCurve& c, double sx, double sy, double ws, const BoundaryTest::Site& k)
{
    const double ax = c.px - sx;
    const double ay = c.py - sy;
    const double bx = c.px - k.x;
    const double by = c.py - k.y;
    const double w2 = k.w * k.w;
    const double ws2 = ws * ws;
    return {w2 - ws2, 2 * (w2 * ax - ws2 * bx), 2 * (w2 * ay - ws2 * by),
            w2 * (ax * ax + ay * ay) - ws2 * (bx * bx + by * by)};
}

// The parameter range of a line inside the area, or nothing.
std::optional<std::array<double, 2>> clipLine(const Curve& line, const ClipArea& area)
{
    const BisectorCurve& c = line.geometry();
    constexpr double UNBOUNDED = std::numeric_limits<double>::infinity();
    double lo = -UNBOUNDED;
    double hi = UNBOUNDED;
    const auto limit = [&](double p, double v, double from, double to) {
        if (v == 0) {
            if (p < from || p > to) {
                lo = UNBOUNDED;
            }
            return;
        }
        const double a = (from - p) / v;
        const double b = (to - p) / v;
        lo = std::max(lo, std::min(a, b));
        hi = std::min(hi, std::max(a, b));
    };
    limit(c.px, -c.uy, area.left, area.right);
    limit(c.py, c.ux, area.top, area.bottom);
    if (!(lo <= hi && std::isfinite(lo) && std::isfinite(hi))) {
        return std::nullopt;
    }
    return std::array<double, 2>{lo, hi};
}

BoundaryPiece pieceOf(const Curve& curve, int i, int j, double from, double to)
{
    BoundaryPiece piece;
    piece.i = i;
    piece.j = j;
    piece.start = curve.at(from);
    piece.end = curve.at(to);
    if (curve.straight() || to - from < FLAT_SWEEP) {
        return piece;
    }
    const BisectorCurve& c = curve.geometry();
    piece.shape = BoundaryPiece::Shape::Arc;
    piece.centre = {c.px - c.radius * c.ux, c.py - c.radius * c.uy};
    piece.radius = c.radius;
    piece.startAngle = std::remainder(std::atan2(c.uy, c.ux) + from, 2 * PI);
    piece.sweep = to - from;
    return piece;
}

bool finite(const BoundaryPiece& p)
{
    return std::isfinite(p.start.x) && std::isfinite(p.start.y) && std::isfinite(p.end.x) &&
           std::isfinite(p.end.y) && std::isfinite(p.centre.x) && std::isfinite(p.centre.y) &&
           std::isfinite(p.radius) && std::isfinite(p.startAngle) && std::isfinite(p.sweep);
}

// Where the pair's bisector may enter or leave the diagram: where a third site's
// bisector with either site of the pair crosses it, and where it crosses the area's
// edges. For a line, only its range inside the area, bounds included; nothing where it
// misses the area.
Splits splitPoints(const Curve& curve, const BoundaryTest& test, const SiteArrays& sites, int i, int j,
                   const ClipArea& area)
{
    Splits splits;
    std::array<double, 2> range{-PI, PI};
    if (curve.straight()) {
        const std::optional<std::array<double, 2>> inArea = clipLine(curve, area);
        if (!inArea) {
            return splits;
        }
        range = *inArea;
    } else {
        const BisectorCurve& c = curve.geometry();
        curve.appendZeros({0, 1, 0, c.px - area.left}, splits);
        curve.appendZeros({0, 1, 0, c.px - area.right}, splits);
        curve.appendZeros({0, 0, 1, c.py - area.top}, splits);
        curve.appendZeros({0, 0, 1, c.py - area.bottom}, splits);
    }
    splits.push(range[0]);
    splits.push(range[1]);
    for (int n = 0; n < test.thirdCount(); ++n) {
        for (int s : {i, j}) {
            const PlaneFunction tie =
                bisectorOf(curve.geometry(), sites.x[s - 1], sites.y[s - 1], sites.w[s - 1], test.third(n));
            curve.appendZeros(tie, splits);
        }
    }
    splits.settle(range[0], range[1]);
    return splits;
}

void appendPairPieces(const SiteArrays& sites, int i, int j, const ClipArea& area,
                      std::vector<BoundaryPiece>& pieces)
{
    const std::optional<BisectorCurve> geometry = bisectorCurve(sites, i, j);
    if (!geometry) {
        return;
    }
    const Curve curve(*geometry);
    const BoundaryTest test(sites, i, j);
    const Splits splits = splitPoints(curve, test, sites, i, j, area);

    // Which of the parts between consecutive splits belong to the diagram.
    std::array<bool, MAX_SPLITS> kept{};
    int keptCount = 0;
    const int parts = splits.count() - 1;
    for (int n = 0; n < parts; ++n) {
        const PlanePoint mid = curve.at(splits[n] + (splits[n + 1] - splits[n]) / 2);
        kept[n] = inside(area, mid) && test.isBoundaryPoint(mid.x, mid.y);
        keptCount += kept[n] ? 1 : 0;
    }

    const auto emit = [&](double from, double to) {
        const BoundaryPiece piece = pieceOf(curve, i, j, from, to);
        if (finite(piece)) {
            pieces.push_back(piece);
        }
    };
    if (!curve.straight() && parts > 0 && keptCount == parts) {
        emit(-PI, 0);  // the whole circle, as two half circles
        emit(0, PI);
        return;
    }
    // A piece for each run of kept parts. A circle's parameter wraps around at pi, where
    // a run may go on from the last part into the first, so runs are collected from the
    // first part that is not kept.
    int begin = 0;
    while (!curve.straight() && begin < parts && kept[begin]) {
        ++begin;
    }
    for (int step = 0; step < parts;) {
        const int n = (begin + step) % parts;
        ++step;
        if (!kept[n]) {
            continue;
        }
        double to = splits[n + 1];
        for (; step < parts && kept[(begin + step) % parts]; ++step) {
            const int m = (begin + step) % parts;
            to = splits[m + 1] + (m < n ? 2 * PI : 0);
        }
        emit(splits[n], to);
    }
}

}  // namespace

bool BoundaryPiece::largeArc() const { return sweep > PI; }

PlanePoint BoundaryPiece::pointAt(double t) const
{
    if (shape == Shape::Segment) {
        return {start.x + (end.x - start.x) * t, start.y + (end.y - start.y) * t};
    }
    // start turned about the centre by a: start + (cos a - 1) r + sin a r', where r is
    // start - centre and r' is r turned by +90 degrees. Both factors are small where the
    // arc is short, so the rounding of a faraway centre does not reach the point.
    const double a = sweep * t;
    const double half = std::sin(a / 2);
    const double cosMinusOne = -2 * half * half;
    const double s = std::sin(a);
    const double rx = start.x - centre.x;
    const double ry = start.y - centre.y;
    return {start.x + cosMinusOne * rx - s * ry, start.y + cosMinusOne * ry + s * rx};
}

std::vector<BoundaryPiece> boundaryPieces(const SiteArrays& sites, const ClipArea& area)
{
    std::vector<BoundaryPiece> pieces;
    for (int i = 1; i < sites.N; ++i) {
        for (int j = i + 1; j <= sites.N; ++j) {
            appendPairPieces(sites, i, j, area, pieces);
        }
    }
    return pieces;
}

}  // namespace voroquarn
