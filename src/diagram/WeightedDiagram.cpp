#include "diagram/WeightedDiagram.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <tuple>

#include "diagram/BisectorCurve.h"
#include "diagram/PairCurve.h"
#include "diagram/SiteArrays.h"

namespace voroquarn {

namespace {

constexpr double INFINITE = std::numeric_limits<double>::infinity();

WeightedSite siteOf(const SiteArrays& sites, std::int32_t k)
{
    const auto at = static_cast<std::size_t>(k);
    return {sites.x[at], sites.y[at], sites.w[at]};
}

bool finite(const BoundaryPiece& p)
{
    return std::isfinite(p.start.x) && std::isfinite(p.start.y) && std::isfinite(p.end.x) &&
           std::isfinite(p.end.y) && std::isfinite(p.centre.x) && std::isfinite(p.centre.y) &&
           std::isfinite(p.radius) && std::isfinite(p.startAngle) && std::isfinite(p.sweep);
}

}  // namespace

WeightedDiagram::WeightedDiagram(const SiteArrays& sites, const ClipArea& area) : sites_(sites), cells_(sites, area)
{
}

bool WeightedDiagram::build(std::size_t budget)
{
    std::size_t work = 0;
    while (work < budget) {
        if (done_ < cells_.leaves().size()) {
            const std::size_t count = cells_.leaves()[done_].count;
            findFragments(done_++);
            work += count * count / 2 + 1;
        } else if (cells_.built()) {
            return true;
        } else {
            cells_.build(budget - work);
            work = budget;
        }
    }
    return built();
}

void WeightedDiagram::buildAll()
{
    while (!build(1U << 20U)) {
    }
}

bool WeightedDiagram::built() const { return cells_.built() && done_ == cells_.leaves().size(); }

void WeightedDiagram::findFragments(std::uint32_t leaf)
{
    const SiteCells::Leaf& cell = cells_.leaves()[leaf];
    const std::span<const std::int32_t> candidates = cells_.candidates(cell);
    if (candidates.size() < 2) {
        return;
    }
    const ClipArea& box = cell.box;
    // The candidates best first, by their ratio at the cell's centre: the likeliest to
    // take a pair's bisector away come first.
    const double cx = (box.left + box.right) / 2;
    const double cy = (box.top + box.bottom) / 2;
    order_.clear();
    for (const std::int32_t k : candidates) {
        const WeightedSite s = siteOf(sites_, k);
        order_.emplace_back(((cx - s.x) * (cx - s.x) + (cy - s.y) * (cy - s.y)) / (s.w * s.w), k);
    }
    std::sort(order_.begin(), order_.end());

    for (std::size_t a = 0; a < candidates.size(); ++a) {
        const std::int32_t i = candidates[a];
        const WeightedSite si = siteOf(sites_, i);
        for (std::size_t b = a + 1; b < candidates.size(); ++b) {
            const std::int32_t j = candidates[b];
            const std::optional<BisectorCurve> curve = bisectorCurve(sites_, i + 1, j + 1);
            if (!curve) {
                continue;
            }
            thirds_.clear();
            for (const auto& [ratio, k] : order_) {
                if (k != i && k != j) {
                    thirds_.push_back(siteOf(sites_, k));
                }
            }
            keptStretches(PairCurve(*curve), si, thirds_, box, scratch_);
            for (const Stretch& stretch : scratch_.kept) {
                fragments_.push_back({i, j, leaf, stretch});
            }
        }
    }
}

std::vector<BoundaryPiece> WeightedDiagram::pieces() const
{
    std::vector<std::uint32_t> order(fragments_.size());
    std::iota(order.begin(), order.end(), 0U);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const Fragment& p = fragments_[a];
        const Fragment& q = fragments_[b];
        return std::tie(p.i, p.j, p.stretch.from) < std::tie(q.i, q.j, q.stretch.from);
    });

    std::vector<BoundaryPiece> pieces;
    std::vector<Stretch> joined;
    for (std::size_t n = 0; n < order.size();) {
        const std::int32_t i = fragments_[order[n]].i;
        const std::int32_t j = fragments_[order[n]].j;
        joined.clear();
        for (; n < order.size() && fragments_[order[n]].i == i && fragments_[order[n]].j == j; ++n) {
            const Stretch& s = fragments_[order[n]].stretch;
            if (!joined.empty() && joined.back().to >= s.from) {
                joined.back().to = std::max(joined.back().to, s.to);
            } else {
                joined.push_back(s);
            }
        }
        const PairCurve curve(*bisectorCurve(sites_, i + 1, j + 1));
        const auto emit = [&](double from, double to) {
            const BoundaryPiece piece = curve.piece(i + 1, j + 1, from, to);
            if (finite(piece)) {
                pieces.push_back(piece);
            }
        };
        if (!curve.straight() && joined.size() == 1 && joined.front().from == -INFINITE &&
            joined.front().to == INFINITE) {
            emit(-INFINITE, 0);  // the whole circle, as two half circles
            emit(0, INFINITE);
            continue;
        }
        // A circle's stretch that goes on across the point opposite P is one piece.
        std::size_t first = 0;
        if (!curve.straight() && joined.size() > 1 && joined.front().from == -INFINITE &&
            joined.back().to == INFINITE) {
            emit(joined.back().from, joined.front().to);
            first = 1;
            joined.pop_back();
        }
        for (std::size_t m = first; m < joined.size(); ++m) {
            emit(joined[m].from, joined[m].to);
        }
    }
    return pieces;
}

std::vector<std::pair<std::int32_t, std::int32_t>> WeightedDiagram::neighbours() const
{
    std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
    pairs.reserve(fragments_.size());
    for (const Fragment& f : fragments_) {
        pairs.emplace_back(f.i, f.j);
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

}  // namespace voroquarn
