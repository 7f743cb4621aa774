#include "diagram/WeightedDiagram.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>
#include <tuple>

#include "diagram/BisectorCurve.h"
#include "diagram/OwnersAlong.h"
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

WeightedDiagram::WeightedDiagram(const SiteArrays& sites, const ClipArea& area, Keep keep)
    : sites_(sites), cells_(sites, area), keep_(keep)
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
            if (!ordered_) {
                std::sort(meetings_.begin(), meetings_.end(), [](const Meeting& a, const Meeting& b) {
                    return std::tie(a.i, a.j, a.leaf) < std::tie(b.i, b.j, b.leaf);
                });
                ordered_ = true;
            }
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

bool WeightedDiagram::built() const { return ordered_; }

ClipArea WeightedDiagram::boxOf(const Meeting& meeting) const
{
    const ClipArea& cell = cells_.leaves()[meeting.leaf].box;
    const double w = (cell.right - cell.left) / 255;
    const double h = (cell.bottom - cell.top) / 255;
    return {cell.left + w * meeting.box[0], cell.top + h * meeting.box[1], cell.left + w * meeting.box[2],
            cell.top + h * meeting.box[3]};
}

void WeightedDiagram::findFragments(std::uint32_t leaf)
{
    const SiteCells::Leaf& cell = cells_.leaves()[leaf];
    const std::span<const std::int32_t> candidates = cells_.candidates(cell);
    if (candidates.size() < 2) {
        return;
    }
    const ClipArea& box = cell.box;
    orderCandidates(cell, order_);
    // Trying every pair of a crowd of k sites costs O(k^3); they meet in O(k) boundaries.
    if (cell.crowded()) {
        findCrowdedFragments(leaf);
        return;
    }
    for (std::size_t a = 0; a < candidates.size(); ++a) {
        for (std::size_t b = a + 1; b < candidates.size(); ++b) {
            findPair(candidates[a], candidates[b], leaf, box);
        }
    }
}

void WeightedDiagram::orderCandidates(const SiteCells::Leaf& cell,
                                      std::vector<std::pair<double, std::int32_t>>& order) const
{
    const ClipArea& box = cell.box;
    const double cx = (box.left + box.right) / 2;
    const double cy = (box.top + box.bottom) / 2;
    order.clear();
    for (const std::int32_t k : cells_.candidates(cell)) {
        const WeightedSite s = siteOf(sites_, k);
        order.emplace_back(((cx - s.x) * (cx - s.x) + (cy - s.y) * (cy - s.y)) / (s.w * s.w), k);
    }
    std::sort(order.begin(), order.end());
}

void WeightedDiagram::findPair(std::int32_t i, std::int32_t j, std::uint32_t leaf, const ClipArea& box)
{
    scratch_.kept.clear();
    const std::optional<BisectorCurve> curve = bisectorCurve(sites_, i + 1, j + 1);
    if (!curve) {
        return;
    }
    thirds_.clear();
    thirdSites_.clear();
    for (const auto& [ratio, k] : order_) {
        if (k != i && k != j) {
            thirds_.push_back(siteOf(sites_, k));
            thirdSites_.push_back(k);
        }
    }
    const PairCurve pair(*curve);
    keptStretches(pair, siteOf(sites_, i), siteOf(sites_, j), thirds_, box, scratch_);
    if (scratch_.kept.empty()) {
        return;
    }
    // Where the stretches lie, in 255ths of the cell, rounded outwards.
    ClipArea where{box.right, box.bottom, box.left, box.top};
    for (const CutStretch& kept : scratch_.kept) {
        const ClipArea lies = pair.bounds(kept.stretch.from, kept.stretch.to);
        where = {std::min(where.left, lies.left), std::min(where.top, lies.top), std::max(where.right, lies.right),
                 std::max(where.bottom, lies.bottom)};
        if (keep_ == Keep::Pieces) {
            fragments_.push_back({i, j, leaf, kept.stretch});
        }
    }
    const auto share = [](double from, double to, double at, bool up) {
        const double part = to > from ? std::clamp((at - from) / (to - from), 0.0, 1.0) * 255 : (up ? 255 : 0);
        return static_cast<std::uint8_t>(up ? std::min(255.0, std::ceil(part)) : std::max(0.0, std::floor(part)));
    };
    meetings_.push_back({i, j, leaf,
                         {share(box.left, box.right, where.left, false), share(box.top, box.bottom, where.top, false),
                          share(box.left, box.right, where.right, true), share(box.top, box.bottom, where.bottom, true)}});
}

// Every boundary inside a cell reaches its edges, or ends where a third site cuts it,
// whose own boundaries with the pair start there; or it lies around a site inside the
// cell (a region that shows nowhere on the edges holds its own site: its bisector with
// any one neighbour is a disc around it). So the pairs whose owners follow one another
// along the edges and away from the sites inside, and in turn the pairs of each third
// site that cuts a pair's stretches with that pair's two sites, are all the pairs with
// a boundary in the cell. Each costs O(k) for k candidates: O(k m) for m boundaries,
// where every pair would cost O(k^3).
void WeightedDiagram::findCrowdedFragments(std::uint32_t leaf)
{
    const ClipArea box = cells_.leaves()[leaf].box;
    const std::span<const std::int32_t> candidates = cells_.candidates(cells_.leaves()[leaf]);
    pairsToFind_.clear();
    pairsFound_.clear();
    const auto want = [&](std::int32_t a, std::int32_t b) {
        if (a != b) {
            pairsToFind_.emplace_back(std::min(a, b), std::max(a, b));
        }
    };
    crowd_.clear();
    crowdIds_.clear();
    for (const auto& [centre, k] : order_) {
        crowd_.push_back(siteOf(sites_, k));
        crowdIds_.push_back(k);
    }
    const std::array<PlanePoint, 4> corners{PlanePoint{box.left, box.top}, PlanePoint{box.right, box.top},
                                            PlanePoint{box.right, box.bottom}, PlanePoint{box.left, box.bottom}};
    std::int32_t last = -1;
    for (std::size_t n = 0; n < corners.size(); ++n) {
        ownersAlong(corners[n], corners[(n + 1) % corners.size()], crowd_, crowdIds_, runs_, ownersScratch_);
        for (const OwnerRun& run : runs_) {
            if (last >= 0) {
                want(last, run.site);
            }
            last = run.site;
        }
    }
    for (const std::int32_t k : candidates) {
        const WeightedSite s = siteOf(sites_, k);
        if (s.x >= box.left && s.x <= box.right && s.y >= box.top && s.y <= box.bottom) {
            want(k, firstOtherOwner({s.x, s.y}, {box.right, s.y}, k));
        }
    }
    for (std::size_t n = 0; n < pairsToFind_.size(); ++n) {
        const auto [i, j] = pairsToFind_[n];
        const std::uint64_t key = static_cast<std::uint64_t>(i) << 32U | static_cast<std::uint32_t>(j);
        if (std::find(pairsFound_.begin(), pairsFound_.end(), key) != pairsFound_.end()) {
            continue;
        }
        pairsFound_.push_back(key);
        findPair(i, j, leaf, box);
        for (const CutStretch& kept : scratch_.kept) {
            for (const std::int32_t cut : {kept.fromCut, kept.toCut}) {
                if (cut != CutStretch::NOT_CUT) {
                    const std::int32_t third = thirdSites_[static_cast<std::size_t>(cut)];
                    want(i, third);
                    want(j, third);
                }
            }
        }
    }
}

std::int32_t WeightedDiagram::firstOtherOwner(PlanePoint a, PlanePoint b, std::int32_t owner) const
{
    // Along p(s) = a + s (b - a): the first tie beyond the start where another site
    // becomes nearer than the owner.
    const PlanePoint d{b.x - a.x, b.y - a.y};
    const WeightedSite o = siteOf(sites_, owner);
    const double ox = a.x - o.x;
    const double oy = a.y - o.y;
    const double wo2 = o.w * o.w;
    double first = INFINITE;
    std::int32_t other = owner;
    for (const auto& [centre, k] : order_) {
        if (k == owner) {
            continue;
        }
        // w_k² |p - o|² - w_o² |p - k|², negative where the owner is nearer: the first
        // zero where it turns positive.
        const WeightedSite c = siteOf(sites_, k);
        const double kx = a.x - c.x;
        const double ky = a.y - c.y;
        const double wk2 = c.w * c.w;
        const double a2 = (wk2 - wo2) * (d.x * d.x + d.y * d.y);
        const double a1 = 2 * (wk2 * (d.x * ox + d.y * oy) - wo2 * (d.x * kx + d.y * ky));
        const double a0 = wk2 * (ox * ox + oy * oy) - wo2 * (kx * kx + ky * ky);
        std::array<double, 2> roots{};
        const int count = quadraticRoots(a2, a1, a0, roots);
        for (int r = 0; r < count; ++r) {
            const double at = roots[static_cast<std::size_t>(r)];
            const double slope = 2 * a2 * at + a1;
            if (at > 0 && at <= 1 && at < first && (slope > 0 || (slope == 0 && a2 > 0))) {
                first = at;
                other = k;
            }
        }
    }
    return other;
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
    std::vector<Stretch> stretches;
    for (std::size_t n = 0; n < order.size();) {
        const std::int32_t i = fragments_[order[n]].i;
        const std::int32_t j = fragments_[order[n]].j;
        stretches.clear();
        for (; n < order.size() && fragments_[order[n]].i == i && fragments_[order[n]].j == j; ++n) {
            stretches.push_back(fragments_[order[n]].stretch);
        }
        appendPieces(i, j, stretches, pieces);
    }
    return pieces;
}

void WeightedDiagram::piecesOf(std::size_t first, std::vector<BoundaryPiece>& pieces, PairScratch& scratch) const
{
    const std::int32_t i = meetings_[first].i;
    const std::int32_t j = meetings_[first].j;
    const std::optional<BisectorCurve> curve = bisectorCurve(sites_, i + 1, j + 1);
    if (!curve) {
        return;
    }
    const PairCurve pair(*curve);
    scratch.stretches.clear();
    for (auto m = meetings_.begin() + static_cast<std::ptrdiff_t>(first); m != meetings_.end() && m->i == i && m->j == j;
         ++m) {
        const SiteCells::Leaf& cell = cells_.leaves()[m->leaf];
        orderCandidates(cell, scratch.order);
        scratch.thirds.clear();
        for (const auto& [ratio, k] : scratch.order) {
            if (k != i && k != j) {
                scratch.thirds.push_back(siteOf(sites_, k));
            }
        }
        keptStretches(pair, siteOf(sites_, i), siteOf(sites_, j), scratch.thirds, cell.box, scratch.stretch);
        for (const CutStretch& kept : scratch.stretch.kept) {
            scratch.stretches.push_back(kept.stretch);
        }
    }
    std::sort(scratch.stretches.begin(), scratch.stretches.end(),
              [](const Stretch& a, const Stretch& b) { return a.from < b.from; });
    appendPieces(i, j, scratch.stretches, pieces);
}

void WeightedDiagram::appendPieces(std::int32_t i, std::int32_t j, std::vector<Stretch>& stretches,
                                   std::vector<BoundaryPiece>& pieces) const
{
    if (stretches.empty()) {
        return;
    }
    std::size_t joined = 0;
    for (std::size_t n = 1; n < stretches.size(); ++n) {
        if (stretches[joined].to >= stretches[n].from) {
            stretches[joined].to = std::max(stretches[joined].to, stretches[n].to);
        } else {
            stretches[++joined] = stretches[n];
        }
    }
    stretches.resize(joined + 1);
    const PairCurve curve(*bisectorCurve(sites_, i + 1, j + 1));
    const auto emit = [&](double from, double to) {
        const BoundaryPiece piece = curve.piece(i + 1, j + 1, from, to);
        if (finite(piece)) {
            pieces.push_back(piece);
        }
    };
    if (!curve.straight() && stretches.size() == 1 && stretches.front().from == -INFINITE &&
        stretches.front().to == INFINITE) {
        emit(-INFINITE, 0);  // the whole circle, as two half circles
        emit(0, INFINITE);
        return;
    }
    // A circle's stretch that goes on across the point opposite P is one piece.
    std::size_t first = 0;
    if (!curve.straight() && stretches.size() > 1 && stretches.front().from == -INFINITE &&
        stretches.back().to == INFINITE) {
        emit(stretches.back().from, stretches.front().to);
        first = 1;
        stretches.pop_back();
    }
    for (std::size_t m = first; m < stretches.size(); ++m) {
        emit(stretches[m].from, stretches[m].to);
    }
}

std::vector<std::pair<std::int32_t, std::int32_t>> WeightedDiagram::neighbours() const
{
    std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
    for (const Meeting& m : meetings_) {
        if (pairs.empty() || pairs.back() != std::pair(m.i, m.j)) {
            pairs.emplace_back(m.i, m.j);
        }
    }
    return pairs;
}

}  // namespace voroquarn
