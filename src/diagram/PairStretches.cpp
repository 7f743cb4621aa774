#include "diagram/PairStretches.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace voroquarn {

namespace {

constexpr double INFINITE = std::numeric_limits<double>::infinity();

bool inside(const ClipArea& box, PlanePoint p)
{
    return p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom;
}

// Appends the stretch from..to, joined to the last one where it goes on from it.
void append(std::vector<Stretch>& stretches, double from, double to)
{
    if (!(from < to)) {
        return;
    }
    if (!stretches.empty() && stretches.back().to == from) {
        stretches.back().to = to;
        return;
    }
    stretches.push_back({from, to});
}

// The range of a line's parameter inside the box, or an empty one: half the distance
// from P along v.
Stretch lineInBox(const PairCurve& line, const ClipArea& box)
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
        const double a = (from - p) / v / 2;
        const double b = (to - p) / v / 2;
        lo = std::max(lo, std::min(a, b));
        hi = std::min(hi, std::max(a, b));
    };
    limit(c.px, -c.uy, box.left, box.right);
    limit(c.py, c.ux, box.top, box.bottom);
    if (!(lo <= hi && std::isfinite(lo) && std::isfinite(hi))) {
        return {0, 0};
    }
    return {lo, hi};
}

// Shorter than this, a part of a curve is a point to the eye and to any file's precision.
constexpr double TOUCH_LENGTH = 1e-7;

bool tiny(const PairCurve& curve, double from, double to)
{
    const PlanePoint a = curve.pointAt(from);
    const PlanePoint b = curve.pointAt(to);
    return std::hypot(b.x - a.x, b.y - a.y) < TOUCH_LENGTH;
}

}  // namespace

void keptStretches(const PairCurve& curve, const WeightedSite& reference, std::span<const WeightedSite> thirds,
                   const ClipArea& box, StretchScratch& scratch)
{
    std::vector<double>& zeros = scratch.zeros;
    std::vector<Stretch>& kept = scratch.kept;
    kept.clear();
    if (curve.straight()) {
        const Stretch range = lineInBox(curve, box);
        append(kept, range.from, range.to);
    } else {
        zeros.clear();
        // Only the edges whose line the circle reaches can cut it.
        const BisectorCurve& c = curve.geometry();
        const double reach = c.radius * (1 + 1e-9) + 1e-9;
        const double cx = c.px - c.radius * c.ux;
        const double cy = c.py - c.radius * c.uy;
        const std::array<PlaneFunction, 4> edges = curve.edgesOf(box);
        const std::array<bool, 4> reached{std::abs(box.left - cx) <= reach, std::abs(box.right - cx) <= reach,
                                          std::abs(box.top - cy) <= reach, std::abs(box.bottom - cy) <= reach};
        for (std::size_t n = 0; n < edges.size(); ++n) {
            if (reached[n] || !std::isfinite(cx) || !std::isfinite(cy)) {
                curve.appendZeros(edges[n], zeros);
            }
        }
        zeros.push_back(-INFINITE);
        zeros.push_back(INFINITE);
        std::sort(zeros.begin(), zeros.end());
        for (std::size_t n = 0; n + 1 < zeros.size(); ++n) {
            const double from = zeros[n];
            const double to = zeros[n + 1];
            if (from < to && inside(box, curve.at(curve.between(from, to)))) {
                append(kept, from, to);
            }
        }
    }

    using Verdict = StretchScratch::Verdict;
    std::vector<StretchScratch::Part>& parts = scratch.parts;
    for (const WeightedSite& third : thirds) {
        if (kept.empty()) {
            return;
        }
        zeros.clear();
        curve.appendZeros(curve.tieOf(reference.x, reference.y, reference.w, third.x, third.y, third.w), zeros);
        std::sort(zeros.begin(), zeros.end());
        std::vector<Stretch>& next = scratch.next;
        next.clear();
        for (const Stretch& stretch : kept) {
            // The stretch cut at the third's ties, each part judged at its middle.
            parts.clear();
            double from = stretch.from;
            const auto judge = [&](double to) {
                if (from < to) {
                    const PlanePoint mid = curve.at(curve.between(from, to));
                    const Nearer verdict = nearer(mid.x, mid.y, third, reference);
                    parts.push_back({from, to, verdict == Nearer::First    ? Verdict::Drop
                                               : verdict == Nearer::Second ? Verdict::Keep
                                               : tiny(curve, from, to)    ? Verdict::Touch
                                                                          : Verdict::Keep});
                }
                from = std::max(from, to);
            };
            for (const double zero : zeros) {
                if (zero > stretch.from && zero < stretch.to) {
                    judge(zero);
                }
            }
            judge(stretch.to);
            // A part too short to see where the third ties is where it touches the pair's
            // curve: kept between kept parts, so that the stretch stays whole, and
            // dropped where the third is nearer on both sides, so that a curve the third
            // outdoes everywhere but at one point leaves no sliver there.
            for (std::size_t n = 0; n < parts.size(); ++n) {
                const bool keep = parts[n].verdict == Verdict::Keep ||
                                  (parts[n].verdict == Verdict::Touch &&
                                   ((n > 0 && parts[n - 1].verdict == Verdict::Keep) ||
                                    (n + 1 < parts.size() && parts[n + 1].verdict == Verdict::Keep)));
                if (keep) {
                    append(next, parts[n].from, parts[n].to);
                }
            }
        }
        std::swap(kept, next);
    }
}

}  // namespace voroquarn
