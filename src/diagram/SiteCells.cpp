#include "diagram/SiteCells.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <numeric>
#include <tuple>

#include "diagram/SiteArrays.h"

namespace voroquarn {

namespace {

// Relative room left for rounding in the tests that leave a candidate out: far above the
// few units of 2^-53 that their arithmetic can be off, so that a site left out is beaten
// for certain.
constexpr double CERTAIN = 1e-12;

// The longest list whose sites are each asked whether the best one beats them all over
// a box (see keepCandidates); measured on random sites.
constexpr std::size_t BEATEN_WORTH_ASKING = 32;

double squared(double v) { return v * v; }

// The squared distances from a point to the nearest and to the farthest point of a box.
double nearestSquared(const ClipArea& box, double x, double y)
{
    const double dx = std::max({box.left - x, 0.0, x - box.right});
    const double dy = std::max({box.top - y, 0.0, y - box.bottom});
    return dx * dx + dy * dy;
}

double farthestSquared(const ClipArea& box, double x, double y)
{
    const double dx = std::max(std::abs(x - box.left), std::abs(x - box.right));
    const double dy = std::max(std::abs(y - box.top), std::abs(y - box.bottom));
    return dx * dx + dy * dy;
}

}  // namespace

// With G(p) = wt² |p - s|² - ws² |p - t|², t is nearer than s at p exactly where G(p) > 0,
// so s is farther throughout when G's least value over the box is positive. G is formed
// as (wt² - ws²) |p - s|² + ws² (t - s).(2p - s - t), which keeps its digits where s and
// t lie close together (sites an ulp apart are told apart a pixel away from their
// bisector). Where wt² - ws² is not positive, G is concave or linear and takes its least
// value at a corner. Where it is positive, G is convex: its value at the box's point q
// nearest to its unconstrained minimum, plus the least of the tangent plane's rise
// towards the corners, bounds it from below; this holds for any q, so the rounding of q
// costs nothing but tightness. Every value is trusted only beyond a margin far above
// its rounding.
bool fartherThroughout(const ClipArea& box, const WeightedSite& s, const WeightedSite& t)
{
    const double ws2 = s.w * s.w;
    const double curvature = t.w * t.w - ws2;
    // About the box's centre, so that the terms are of the size of the distances.
    const double cx = (box.left + box.right) / 2;
    const double cy = (box.top + box.bottom) / 2;
    const double sx = s.x - cx;
    const double sy = s.y - cy;
    const double dx = t.x - s.x;  // exact where the two lie close
    const double dy = t.y - s.y;
    const double mx = sx + (t.x - cx);  // s + t, about the centre
    const double my = sy + (t.y - cy);
    const auto positiveAt = [&](double qx, double qy, double rise, double riseScale) {
        const double toS = curvature * (squared(qx - sx) + squared(qy - sy));
        const double alongX = ws2 * dx * (2 * qx - mx);
        const double alongY = ws2 * dy * (2 * qy - my);
        return toS + alongX + alongY + rise >
               CERTAIN * (std::abs(toS) + std::abs(alongX) + std::abs(alongY) + riseScale);
    };
    // Most sites asked about are nearer than t somewhere, most often at the centre
    // already: that settles it at the cost of two distances, unless the two are so close
    // that only the careful form tells them apart.
    const double toT = t.w * t.w * (sx * sx + sy * sy);
    const double fromT = ws2 * (squared(t.x - cx) + squared(t.y - cy));
    if (toT - fromT < -CERTAIN * (toT + fromT) || !positiveAt(0, 0, 0, 0)) {
        return false;
    }
    const double hx = (box.right - box.left) / 2;
    const double hy = (box.bottom - box.top) / 2;
    if (!(curvature > 0)) {
        return positiveAt(-hx, -hy, 0, 0) && positiveAt(hx, -hy, 0, 0) && positiveAt(-hx, hy, 0, 0) &&
               positiveAt(hx, hy, 0, 0);
    }
    const double qx = std::clamp(sx - ws2 * dx / curvature, -hx, hx);
    const double qy = std::clamp(sy - ws2 * dy / curvature, -hy, hy);
    // The gradient at q and the least rise of the tangent plane from q to the box.
    const double gx = 2 * (curvature * (qx - sx) + ws2 * dx);
    const double gy = 2 * (curvature * (qy - sy) + ws2 * dy);
    const double rise = std::min(gx * (-hx - qx), gx * (hx - qx)) + std::min(gy * (-hy - qy), gy * (hy - qy));
    const double riseScale = (std::abs(gx) * hx + std::abs(gy) * hy) * 2;
    return std::isfinite(rise) && positiveAt(qx, qy, rise, riseScale);
}

SiteCells::SiteCells(const SiteArrays& sites, const ClipArea& area) : area_(area)
{
    assert(area.left <= area.right && area.top <= area.bottom);
    // The sites in the order of a Z-curve through the area, so that the sites of a box
    // lie together in memory; copies of one site come together, the first first.
    const auto quantized = [](double v, double from, double to) {
        const double share = to > from ? (v - from) / (to - from) : 0;
        return static_cast<std::uint32_t>(std::clamp(share, 0.0, 1.0) * 65535);
    };
    const auto zOrder = [&](std::size_t at) {
        std::uint32_t z = 0;
        const std::uint32_t qx = quantized(sites.x[at], area.left, area.right);
        const std::uint32_t qy = quantized(sites.y[at], area.top, area.bottom);
        for (unsigned bit = 0; bit < 16; ++bit) {
            z |= ((qx >> bit) & 1U) << (2 * bit) | ((qy >> bit) & 1U) << (2 * bit + 1);
        }
        return z;
    };
    std::vector<std::pair<std::uint32_t, std::int32_t>> order;
    order.reserve(static_cast<std::size_t>(sites.N));
    for (std::int32_t k = 0; k < sites.N; ++k) {
        order.emplace_back(zOrder(static_cast<std::size_t>(k)), k);
    }
    const auto key = [&](const std::pair<std::uint32_t, std::int32_t>& entry) {
        const auto at = static_cast<std::size_t>(entry.second);
        return std::make_tuple(entry.first, sites.x[at], sites.y[at], sites.w[at], entry.second);
    };
    std::sort(order.begin(), order.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    packed_.reserve(order.size());
    for (std::size_t n = 0; n < order.size(); ++n) {
        const auto at = static_cast<std::size_t>(order[n].second);
        const double w = sites.w[at];
        if (n == 0 || !sameSite(sites, at, static_cast<std::size_t>(packed_.back().site))) {
            work_.push_back(static_cast<std::int32_t>(packed_.size()));
        }
        packed_.push_back({sites.x[at], sites.y[at], w, 1 / (w * w), order[n].second});
    }
    nodes_.emplace_back();
    pending_.push_back({area, 0, 0, 0, work_.size(), false});
    // About as many candidates as cells hold for random sites, so that the list seldom grows.
    candidates_.reserve(work_.size() * 5 + 64);
}

bool SiteCells::build(std::size_t budget)
{
    std::size_t work = 0;
    while (!pending_.empty() && work < budget) {
        step(work);
    }
    if (pending_.empty()) {
        // What building needed and the cells do not.
        std::vector<std::int32_t>().swap(work_);
        std::vector<Pending>().swap(pending_);
    }
    return pending_.empty();
}

void SiteCells::step(std::size_t& work)
{
    const Pending box = pending_.back();
    pending_.pop_back();
    if (box.release) {
        // Both halves are done: their parent's list is on top again.
        work_.resize(box.begin);
        return;
    }
    std::size_t count = box.end - box.begin;
    work += count + 1;
    const ClipArea& b = box.box;
    const bool acrossX = b.right - b.left >= b.bottom - b.top;
    const double at = acrossX ? (b.left + b.right) / 2 : (b.top + b.bottom) / 2;
    const bool cuttable = (acrossX ? at > b.left && at < b.right : at > b.top && at < b.bottom) &&
                          std::max(b.right - b.left, b.bottom - b.top) > FLOOR && box.depth < MAX_DEPTH;
    bool pruned = false;
    if (count > LEAF_SITES && count <= 2 * LEAF_SITES && cuttable) {
        // A few too many: those beaten all over the box by another may leave few enough,
        // as near copies of one site do, which only their neighbours beat.
        count = pruneBeaten(box.begin, count, b);
        work += count * count;
        pruned = true;
    }
    if (count <= LEAF_SITES || !cuttable) {
        makeLeaf(box.node, b, box.begin, pruned ? count : pruneBeaten(box.begin, count, b));
        return;
    }

    ClipArea low = b;
    ClipArea high = b;
    (acrossX ? low.right : low.bottom) = at;
    (acrossX ? high.left : high.top) = at;
    // The halves' lists go on top of the parent's, the low half's last: it is taken
    // first. The parent's stays until both are done.
    const std::size_t end = box.begin + count;
    work_.resize(end);
    keepCandidates(box.begin, end, high);
    const std::size_t highEnd = work_.size();
    keepCandidates(box.begin, end, low);
    if (count > CROWD && std::max(b.right - b.left, b.bottom - b.top) <= CROWD_WIDTH &&
        10 * (highEnd - end) >= 9 * count && 10 * (work_.size() - highEnd) >= 9 * count) {
        // Neither half sheds a tenth of the crowd: boundaries that all meet in the box,
        // as a pencil of circles does at its point, and cutting would find them again in
        // every half.
        makeLeaf(box.node, b, box.begin, pruneBeaten(box.begin, count, b));
        return;
    }

    const auto first = static_cast<std::uint32_t>(nodes_.size());
    Node& node = nodes_[box.node];
    node.at = at;
    node.acrossX = acrossX;
    node.next = first;
    nodes_.emplace_back();
    nodes_.emplace_back();
    pending_.push_back({b, box.node, box.depth, box.begin, end, true});
    pending_.push_back({high, first + 1, box.depth + 1, end, highEnd, false});
    pending_.push_back({low, first, box.depth + 1, highEnd, work_.size(), false});
}

void SiteCells::keepCandidates(std::size_t begin, std::size_t end, const ClipArea& box)
{
    // The site of the least greatest ratio over the box: no point of the box has a
    // least ratio above that.
    double bound = std::numeric_limits<double>::infinity();
    std::int32_t best = work_[begin];
    for (std::size_t n = begin; n < end; ++n) {
        const Packed& s = packed_[static_cast<std::size_t>(work_[n])];
        const double farthest = farthestSquared(box, s.x, s.y) * s.inverseSquaredWeight;
        if (farthest < bound) {
            bound = farthest;
            best = work_[n];
        }
    }
    const double limit = bound * (1 + CERTAIN);
    // Beating the site nearest at the box's centre nowhere in the box is worth asking
    // only of short lists: in a large box few sites are beaten all over it, and the
    // question costs more than carrying them down a level or two.
    const bool askBeaten = end - begin <= BEATEN_WORTH_ASKING;
    const std::int32_t nearest = askBeaten ? nearestAtCentre(begin, end, box) : best;
    const WeightedSite t = site(nearest);
    for (std::size_t n = begin; n < end; ++n) {
        const std::int32_t k = work_[n];
        if (k != best && k != nearest) {
            const Packed& s = packed_[static_cast<std::size_t>(k)];
            if (nearestSquared(box, s.x, s.y) * s.inverseSquaredWeight > limit ||
                (askBeaten && fartherThroughout(box, {s.x, s.y, s.w}, t))) {
                continue;
            }
        }
        work_.push_back(k);
    }
}

std::int32_t SiteCells::nearestAtCentre(std::size_t begin, std::size_t end, const ClipArea& box) const
{
    // By squared ratios, and where two come within rounding of each other as `nearer`
    // tells them, so that near copies of one site, whose ratios differ in the last
    // digits, come in their true order.
    const double cx = (box.left + box.right) / 2;
    const double cy = (box.top + box.bottom) / 2;
    std::int32_t nearest = work_[begin];
    double least = std::numeric_limits<double>::infinity();
    for (std::size_t n = begin; n < end; ++n) {
        const Packed& p = packed_[static_cast<std::size_t>(work_[n])];
        const double ratio = (squared(cx - p.x) + squared(cy - p.y)) * p.inverseSquaredWeight;
        if (ratio < least * (1 - CERTAIN) ||
            (!(ratio > least * (1 + CERTAIN)) && nearer(cx, cy, site(work_[n]), site(nearest)) == Nearer::First)) {
            least = std::min(least, ratio);
            nearest = work_[n];
        }
    }
    return nearest;
}

std::size_t SiteCells::pruneBeaten(std::size_t begin, std::size_t count, const ClipArea& box)
{
    // Within a box every candidate meets every other: one that another beats all over
    // it is no candidate. Beating is transitive, so those left are beaten by none. Among
    // crowded candidates only the one nearest at the centre is asked, which beats the
    // most: asking every pair would cost the square of the crowd.
    beaten_.assign(count, false);
    const std::int32_t best = nearestAtCentre(begin, begin + count, box);
    for (std::size_t a = 0; a < count; ++a) {
        const WeightedSite s = site(work_[begin + a]);
        if (count > BEATEN_WORTH_ASKING) {
            beaten_[a] = work_[begin + a] != best && fartherThroughout(box, s, site(best));
            continue;
        }
        for (std::size_t b = 0; b < count && !beaten_[a]; ++b) {
            beaten_[a] = b != a && fartherThroughout(box, s, site(work_[begin + b]));
        }
    }
    std::size_t kept = 0;
    for (std::size_t a = 0; a < count; ++a) {
        if (!beaten_[a]) {
            work_[begin + kept++] = work_[begin + a];
        }
    }
    return kept;
}

void SiteCells::makeLeaf(std::uint32_t at, const ClipArea& box, std::size_t begin, std::size_t count)
{
    Node& node = nodes_[at];
    node.leaf = true;
    node.next = static_cast<std::uint32_t>(leaves_.size());
    const std::size_t first = candidates_.size();
    leaves_.push_back({box, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(count)});
    for (std::size_t n = begin; n < begin + count; ++n) {
        candidates_.push_back(packed_[static_cast<std::size_t>(work_[n])].site);
    }
    std::sort(candidates_.begin() + static_cast<std::ptrdiff_t>(first), candidates_.end());
    work_.resize(begin);
}

const SiteCells::Leaf* SiteCells::leafAt(double x, double y) const
{
    if (!(x >= area_.left && x <= area_.right && y >= area_.top && y <= area_.bottom) || nodes_.empty()) {
        return nullptr;
    }
    std::uint32_t n = 0;
    while (!nodes_[n].leaf) {
        const Node& node = nodes_[n];
        if (node.next == 0) {
            return nullptr;  // not built yet
        }
        n = (node.acrossX ? x : y) < node.at ? node.next : node.next + 1;
    }
    return &leaves_[nodes_[n].next];
}

}  // namespace voroquarn
