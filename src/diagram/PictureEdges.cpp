#include "diagram/PictureEdges.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "diagram/OwnersAlong.h"
#include "diagram/PairCurve.h"
#include "diagram/SiteArrays.h"
#include "diagram/SiteCells.h"

namespace voroquarn {

namespace {

// Over this many candidates, a cell's stretch of edge is owned by their lower envelope,
// O(c log c), rather than by the ties of every pair, O(c²) (a pencil's cells hold hundreds).
constexpr std::size_t CROWD = 32;

WeightedSite siteOf(const SiteArrays& sites, std::int32_t k)
{
    const auto at = static_cast<std::size_t>(k);
    return {sites.x[at], sites.y[at], sites.w[at]};
}

// One edge of the area, walked from `from` to `to`.
class EdgeWalk {
public:
    EdgeWalk(const SiteCells& cells, const SiteArrays& sites, PlanePoint from, PlanePoint to)
        : cells_(cells), sites_(sites), from_(from), length_(std::abs(to.x - from.x) + std::abs(to.y - from.y)),
          direction_{to.x > from.x ? 1.0 : (to.x < from.x ? -1.0 : 0.0), to.y > from.y ? 1.0 : (to.y < from.y ? -1.0 : 0.0)},
          // The edge as a straight curve through `from` (PairCurve): its point of
          // parameter t lies 2t along the walk. u is the walk turned back by 90 degrees,
          // so that the curve's v is the walk itself.
          line_(BisectorCurve{from.x, from.y, direction_.y, -direction_.x, 0, std::numeric_limits<double>::infinity()})
    {
    }

    void walk(std::vector<EdgeStretch>& stretches)
    {
        const std::size_t first = stretches.size();
        double at = 0;
        while (at < length_) {
            // The cell that holds the edge just beyond `at`: a cell owns its left and top
            // edges, so walking left or up the next cell begins before the last one's.
            const PlanePoint p = pointAt(at);
            const SiteCells::Leaf* leaf =
                cells_.leafAt(direction_.x != 0 ? std::nextafter(p.x, p.x + direction_.x) : p.x,
                              direction_.y != 0 ? std::nextafter(p.y, p.y + direction_.y) : p.y);
            if (leaf == nullptr) {
                return;
            }
            const ClipArea& box = leaf->box;
            const double end = direction_.x > 0   ? box.right - from_.x
                               : direction_.x < 0 ? from_.x - box.left
                               : direction_.y > 0 ? box.bottom - from_.y
                                                  : from_.y - box.top;
            const double next = std::min(length_, std::max(end, at));
            if (leaf->count > 0) {
                walkCell(cells_.candidates(*leaf), at, next, stretches, first);
            }
            if (!(next > at)) {
                return;  // no way on: a cell that ends where it begins
            }
            at = next;
        }
    }

private:
    PlanePoint pointAt(double along) const
    {
        return along >= length_ ? PlanePoint{from_.x + direction_.x * length_, from_.y + direction_.y * length_}
                                : PlanePoint{from_.x + direction_.x * along, from_.y + direction_.y * along};
    }

    // The stretches of the walk from `a` to `b` within one cell, cut at every tie of two
    // candidates; appended to those of this edge, which begin at `first`.
    void walkCell(std::span<const std::int32_t> candidates, double a, double b, std::vector<EdgeStretch>& stretches,
                  std::size_t first)
    {
        if (candidates.size() > CROWD) {
            walkCrowd(candidates, a, b, stretches, first);
            return;
        }
        cuts_.clear();
        for (std::size_t m = 0; m < candidates.size(); ++m) {
            const WeightedSite s = siteOf(sites_, candidates[m]);
            for (std::size_t n = m + 1; n < candidates.size(); ++n) {
                const WeightedSite k = siteOf(sites_, candidates[n]);
                zeros_.clear();
                line_.appendZeros(line_.tieOf(s.x, s.y, s.w, k.x, k.y, k.w), zeros_);
                for (const double t : zeros_) {
                    if (2 * t > a && 2 * t < b) {
                        cuts_.push_back(2 * t);
                    }
                }
            }
        }
        cuts_.push_back(b);
        std::sort(cuts_.begin(), cuts_.end());
        double from = a;
        for (const double to : cuts_) {
            if (!(to > from)) {
                continue;
            }
            const std::int32_t site = nearestAt(pointAt(from + (to - from) / 2), candidates);
            if (stretches.size() > first && stretches.back().site == site) {
                stretches.back().to = pointAt(to);
            } else {
                stretches.push_back({site, pointAt(from), pointAt(to)});
            }
            from = to;
        }
    }

    // The same by the candidates' lower envelope along the stretch. Where two tie along
    // all of it, the one sorted first has it.
    void walkCrowd(std::span<const std::int32_t> candidates, double a, double b, std::vector<EdgeStretch>& stretches,
                   std::size_t first)
    {
        crowd_.clear();
        for (const std::int32_t k : candidates) {
            crowd_.push_back(siteOf(sites_, k));
        }
        ownersAlong(pointAt(a), pointAt(b), crowd_, candidates, runs_, scratch_);
        double from = a;
        for (const OwnerRun& run : runs_) {
            const double to = run.to >= 1 ? b : a + run.to * (b - a);
            if (stretches.size() > first && stretches.back().site == run.site) {
                stretches.back().to = pointAt(to);
            } else {
                stretches.push_back({run.site, pointAt(from), pointAt(to)});
            }
            from = to;
        }
    }

    std::int32_t nearestAt(PlanePoint p, std::span<const std::int32_t> candidates) const
    {
        std::int32_t best = candidates.front();
        for (const std::int32_t k : candidates.subspan(1)) {
            const Nearer which = nearer(p.x, p.y, siteOf(sites_, k), siteOf(sites_, best));
            if (which == Nearer::First || (which == Nearer::Tie && inwards(k) > inwards(best))) {
                best = k;
            }
        }
        return best;
    }

    // How far a site lies on the area's side of the edge.
    double inwards(std::int32_t k) const
    {
        const auto at = static_cast<std::size_t>(k);
        return (sites_.x[at] - from_.x) * -direction_.y + (sites_.y[at] - from_.y) * direction_.x;
    }

    const SiteCells& cells_;
    const SiteArrays& sites_;
    PlanePoint from_;
    double length_;
    PlanePoint direction_;
    PairCurve line_;
    std::vector<double> zeros_;
    std::vector<double> cuts_;
    std::vector<WeightedSite> crowd_;
    std::vector<OwnerRun> runs_;
    OwnersScratch scratch_;
};

}  // namespace

std::vector<EdgeStretch> pictureEdgeOwners(const SiteCells& cells, const SiteArrays& sites)
{
    const ClipArea& area = cells.area();
    const std::array<PlanePoint, 4> corners{PlanePoint{area.left, area.top}, PlanePoint{area.right, area.top},
                                            PlanePoint{area.right, area.bottom}, PlanePoint{area.left, area.bottom}};
    std::vector<EdgeStretch> stretches;
    for (std::size_t n = 0; n < corners.size(); ++n) {
        EdgeWalk(cells, sites, corners[n], corners[(n + 1) % corners.size()]).walk(stretches);
    }
    return stretches;
}

}  // namespace voroquarn
