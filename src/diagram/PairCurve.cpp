#include "diagram/PairCurve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace voroquarn {

namespace {

// A piece that turns by less than this is a segment: it bends away from its chord by
// R (1 - cos(sweep / 2)) < R * 2^-57, less than the rounding of its radius, and less
// than 10^-9 of its distance from the sites (at least about R * 2^-24, since weights
// differ by at least one float).
constexpr double FLAT_SWEEP = 0x1p-27;


}  // namespace

int quadraticRoots(double a2, double a1, double a0, std::array<double, 2>& roots)
{
    const double scale = std::max({std::abs(a2), std::abs(a1), std::abs(a0)});
    if (!(scale > 0 && std::isfinite(scale))) {
        return 0;
    }
    if (scale > 0x1p500 || scale < 0x1p-500) {
        a2 /= scale;
        a1 /= scale;
        a0 /= scale;
    }
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

AlongCurve PairCurve::along(const PlaneFunction& f) const
{
    const double k = c_.curvature;
    const double mu = f.mx * c_.ux + f.my * c_.uy;
    const double mv = f.mx * vx_ + f.my * vy_;
    const double mSize = std::max(f.mSize, std::abs(f.mx) + std::abs(f.my));
    const double f0Size = std::max(f.f0Size, std::abs(f.f0));
    return {4 * f.alpha - 2 * k * mu + k * k * f.f0,
            2 * mv,
            f.f0,
            4 * std::abs(f.alpha) + 2 * std::abs(k) * mSize + k * k * f0Size,
            2 * mSize,
            f0Size};
}

int AlongCurve::zeros(std::array<double, 2>& zeros) const
{
    std::array<double, 2> roots{};
    const int count = quadraticRoots(a2, a1, a0, roots);
    int finite = 0;
    for (int n = 0; n < count; ++n) {
        if (std::isfinite(roots[static_cast<std::size_t>(n)])) {
            zeros[static_cast<std::size_t>(finite++)] = roots[static_cast<std::size_t>(n)];
        }
    }
    if (finite == 2 && zeros[0] > zeros[1]) {
        std::swap(zeros[0], zeros[1]);
    }
    return finite;
}

void PairCurve::appendZeros(const PlaneFunction& f, std::vector<double>& zeros) const
{
    std::array<double, 2> roots{};
    const int count = along(f).zeros(roots);
    zeros.insert(zeros.end(), roots.begin(), roots.begin() + count);
}

double PairCurve::between(double from, double to) const
{
    const double k = c_.curvature;
    if (!straight() && !(std::abs(k * from) <= 1 && std::abs(k * to) <= 1)) {
        // t = tan(phi / 2) / k, and halfway in angle tan((a + b) / 2) = (sin a + sin b) /
        // (cos a + cos b) for tan a = k from, tan b = k to: two square roots, no arctangent.
        // Within a quarter turn either side of P, halfway in t is near enough to it.
        const auto sine = [](double u) { return std::isfinite(u) ? u / std::sqrt(1 + u * u) : std::copysign(1.0, u); };
        const auto cosine = [](double u) { return std::isfinite(u) ? 1 / std::sqrt(1 + u * u) : 0.0; };
        const double a = k * from;
        const double b = k * to;
        const double cosines = cosine(a) + cosine(b);
        return cosines > 0 ? (sine(a) + sine(b)) / (cosines * k) : 0.0;  // the whole circle: P
    }
    if (std::isfinite(from) && std::isfinite(to)) {
        return from + (to - from) / 2;
    }
    if (std::isfinite(from)) {
        return from + std::max(1.0, std::abs(from));
    }
    if (std::isfinite(to)) {
        return to - std::max(1.0, std::abs(to));
    }
    return 0;
}

PlanePoint PairCurve::pointAt(double t) const
{
    if (std::isfinite(t)) {
        return at(t);
    }
    const double across = 2 * c_.radius;  // the point opposite P
    return {c_.px - across * c_.ux, c_.py - across * c_.uy};
}

ClipArea PairCurve::bounds(double from, double to) const
{
    const PlanePoint a = pointAt(from);
    const PlanePoint b = pointAt(to);
    ClipArea box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    if (straight()) {
        return box;
    }
    // The circle's point in direction e from its centre lies at the angle phi from P
    // with cos phi = e.u and sin phi = e.v, so at t = tan(phi / 2) / k =
    // (e.v) / ((1 + e.u) k): infinity for the point opposite P.
    const std::array<PlanePoint, 4> axes{PlanePoint{1, 0}, PlanePoint{-1, 0}, PlanePoint{0, 1}, PlanePoint{0, -1}};
    for (const PlanePoint& e : axes) {
        const double along = e.x * vx_ + e.y * vy_;
        const double towards = 1 + e.x * c_.ux + e.y * c_.uy;
        const double t = towards > 0 ? along / (towards * c_.curvature) : std::numeric_limits<double>::infinity();
        if (t > from && t < to) {
            const PlanePoint p = pointAt(t);
            box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
        }
    }
    return box;
}

PlaneFunction PairCurve::tieOf(double sx, double sy, double ws, double kx, double ky, double w) const
{
    // w² |Q - S|² - ws² |Q - K|² as (w² - ws²) |Q - S|² + ws² (K - S).(2Q - S - K), about
    // P: no term cancels another where S and K lie close together, whose difference is
    // then exact.
    const double ax = c_.px - sx;
    const double ay = c_.py - sy;
    const double dx = kx - sx;
    const double dy = ky - sy;
    const double ws2 = ws * ws;
    const double alpha = w * w - ws2;
    const double toS = alpha * (ax * ax + ay * ay);
    const double across = ws2 * (dx * (2 * ax - dx) + dy * (2 * ay - dy));
    return {alpha,
            2 * (alpha * ax + ws2 * dx),
            2 * (alpha * ay + ws2 * dy),
            toS + across,
            2 * (std::abs(alpha * ax) + std::abs(alpha * ay) + ws2 * (std::abs(dx) + std::abs(dy))),
            std::abs(toS) + ws2 * (std::abs(dx * (2 * ax - dx)) + std::abs(dy * (2 * ay - dy)))};
}

std::array<PlaneFunction, 4> PairCurve::edgesOf(const ClipArea& box) const
{
    return {PlaneFunction{0, 1, 0, c_.px - box.left}, PlaneFunction{0, 1, 0, c_.px - box.right},
            PlaneFunction{0, 0, 1, c_.py - box.top}, PlaneFunction{0, 0, 1, c_.py - box.bottom}};
}

BoundaryPiece PairCurve::piece(int i, int j, double from, double to) const
{
    BoundaryPiece piece;
    piece.i = i;
    piece.j = j;
    piece.start = pointAt(from);
    piece.end = pointAt(to);
    if (straight()) {
        return piece;
    }
    const double startAngle = 2 * std::atan(c_.curvature * from);
    const double endAngle = 2 * std::atan(c_.curvature * to);
    const double sweep = endAngle - startAngle + (from > to ? 2 * std::numbers::pi : 0);
    if (sweep < FLAT_SWEEP) {
        return piece;
    }
    piece.shape = BoundaryPiece::Shape::Arc;
    piece.centre = {c_.px - c_.radius * c_.ux, c_.py - c_.radius * c_.uy};
    piece.radius = c_.radius;
    piece.startAngle = std::remainder(std::atan2(c_.uy, c_.ux) + startAngle, 2 * std::numbers::pi);
    piece.sweep = sweep;
    return piece;
}

}  // namespace voroquarn
