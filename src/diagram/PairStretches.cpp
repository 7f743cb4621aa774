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

// Appends a stretch, joined to the last one where it goes on from it.
void append(const PairCurve& curve, std::vector<CutStretch>& stretches, const CutStretch& cut)
{
    if (!(cut.stretch.from < cut.stretch.to)) {
        return;
    }
    if (!stretches.empty() && stretches.back().stretch.to == cut.stretch.from) {
        CutStretch& last = stretches.back();
        last.stretch.to = cut.stretch.to;
        last.toCut = cut.toCut;
        last.middleAt = curve.between(last.stretch.from, last.stretch.to);
        return;
    }
    stretches.push_back(cut);
}

CutStretch uncut(const PairCurve& curve, double from, double to)
{
    return {{from, to}, CutStretch::NOT_CUT, CutStretch::NOT_CUT, curve.between(from, to)};
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

// Shorter than this, a part of a curve is a point to any file's precision: where a third
// site touches a pair's curve, rounding splits the double tie into two about sqrt(2^-52)
// of the curve's size apart (1e-6 px for a circle of 100 px).
constexpr double TOUCH_LENGTH = 1e-4;

bool tiny(const PairCurve& curve, double from, double to)
{
    const PlanePoint a = curve.pointAt(from);
    const PlanePoint b = curve.pointAt(to);
    return std::hypot(b.x - a.x, b.y - a.y) < TOUCH_LENGTH;
}

}  // namespace

void keptStretches(const PairCurve& curve, const WeightedSite& first, const WeightedSite& second,
                   std::span<const WeightedSite> thirds,
                   const ClipArea& box, StretchScratch& scratch)
{
    std::vector<double>& zeros = scratch.zeros;
    std::vector<CutStretch>& kept = scratch.kept;
    kept.clear();
    if (curve.straight()) {
        const Stretch range = lineInBox(curve, box);
        append(curve, kept, uncut(curve, range.from, range.to));
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
            if (zeros[n] < zeros[n + 1]) {
                const CutStretch part = uncut(curve, zeros[n], zeros[n + 1]);
                if (inside(box, curve.at(part.middleAt))) {
                    append(curve, kept, part);
                }
            }
        }
    }

    using Verdict = StretchScratch::Verdict;
    std::vector<StretchScratch::Part>& parts = scratch.parts;
    for (std::size_t third = 0; third < thirds.size(); ++third) {
        if (kept.empty()) {
            return;
        }
        const WeightedSite& t = thirds[third];
        const auto cutBy = static_cast<std::int32_t>(third);
        const auto apart = [&](const WeightedSite& s) { return std::abs(s.x - t.x) + std::abs(s.y - t.y); };
        const WeightedSite& reference = apart(second) < apart(first) ? second : first;
        // Where the third ties with the pair along the curve: negative where the pair is
        // nearer, positive where the third is.
        const AlongCurve tie = curve.along(curve.tieOf(reference.x, reference.y, reference.w, t.x, t.y, t.w));
        std::array<double, 2> ties{};
        const int count = tie.zeros(ties);
        // A part is judged by the tie's sign at its middle, and as `nearer` judges where
        // that sign is too close to call.
        const auto verdictAt = [&](const CutStretch& part) {
            const double value = tie.at(part.middleAt);
            if (std::abs(value) > 1e-9 * tie.scaleAt(part.middleAt)) {
                return value < 0 ? Verdict::Keep : Verdict::Drop;
            }
            const PlanePoint middle = curve.at(part.middleAt);
            const Nearer verdict = nearer(middle.x, middle.y, t, reference);
            return verdict == Nearer::First                           ? Verdict::Drop
                   : verdict == Nearer::Second                        ? Verdict::Keep
                   : tiny(curve, part.stretch.from, part.stretch.to) ? Verdict::Touch
                                                                      : Verdict::Keep;
        };
        std::vector<CutStretch>& next = scratch.next;
        next.clear();
        for (const CutStretch& stretch : kept) {
            const bool cut = (count > 0 && ties[0] > stretch.stretch.from && ties[0] < stretch.stretch.to) ||
                             (count > 1 && ties[1] > stretch.stretch.from && ties[1] < stretch.stretch.to);
            if (!cut) {
                // Most often: no tie inside, and the stretch judged at the middle it has.
                if (verdictAt(stretch) != Verdict::Drop) {
                    append(curve, next, stretch);
                }
                continue;
            }
            // The stretch cut at the third's ties, each part judged at its middle.
            parts.clear();
            double from = stretch.stretch.from;
            std::int32_t fromCut = stretch.fromCut;
            for (int n = 0; n < count; ++n) {
                const double zero = ties[static_cast<std::size_t>(n)];
                if (zero > from && zero < stretch.stretch.to) {
                    CutStretch part = uncut(curve, from, zero);
                    part.fromCut = fromCut;
                    part.toCut = cutBy;
                    parts.push_back({part, verdictAt(part)});
                    from = zero;
                    fromCut = cutBy;
                }
            }
            CutStretch last = uncut(curve, from, stretch.stretch.to);
            last.fromCut = fromCut;
            last.toCut = stretch.toCut;
            parts.push_back({last, verdictAt(last)});
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
                    append(curve, next, parts[n].cut);
                }
            }
        }
        std::swap(kept, next);
    }
}

}  // namespace voroquarn
