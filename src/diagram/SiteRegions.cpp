#include "diagram/SiteRegions.h"

#include <algorithm>

#include "diagram/RegionColours.h"
#include "diagram/buildDiagram.h"
#include "diagram/sortByWeight.h"

namespace voroquarn {

namespace {

SiteArrays sortedByWeight(const SiteArrays& given)
{
    SiteArrays sorted = given;
    sortByWeight(sorted.N, sorted.w, sorted.x, sorted.y);
    return sorted;
}

// A straight piece along one of the area's edges: the edge is the bisector of two
// sites, and the one beyond it has no region inside. The edge's walk gives the edge to
// the other.
bool alongEdge(const BoundaryPiece& piece, const ClipArea& area)
{
    if (piece.shape != BoundaryPiece::Shape::Segment) {
        return false;
    }
    const auto on = [](double a, double b, double edge) { return a == edge && b == edge; };
    return on(piece.start.x, piece.end.x, area.left) || on(piece.start.x, piece.end.x, area.right) ||
           on(piece.start.y, piece.end.y, area.top) || on(piece.start.y, piece.end.y, area.bottom);
}

}  // namespace

SiteRegions::SiteRegions(const SiteArrays& given, const ClipArea& area, Progress* progress)
    : given_(given), sorted_(sortedByWeight(given)), diagram_(sorted_, area, WeightedDiagram::Keep::Meetings)
{
    buildDiagram(diagram_, progress);
    places_ = placesOf(given_, sorted_);
    sortedOf_.assign(places_.size(), 0);
    for (std::size_t s = 0; s < places_.size(); ++s) {
        sortedOf_[static_cast<std::size_t>(places_[s])] = static_cast<std::int32_t>(s);
    }

    // Each pair that meets, once for each of its sites: counted, then placed.
    firstPair_.assign(places_.size() + 1, 0);
    const auto eachPair = [&](const auto& each) {
        const auto& meetings = diagram_.meetings();
        for (std::size_t n = 0; n < meetings.size(); ++n) {
            if (n == 0 || meetings[n].i != meetings[n - 1].i || meetings[n].j != meetings[n - 1].j) {
                each(meetings[n], static_cast<std::uint32_t>(n));
            }
        }
    };
    eachPair([&](const WeightedDiagram::Meeting& m, std::uint32_t /*first*/) {
        ++firstPair_[static_cast<std::size_t>(m.i) + 1];
        ++firstPair_[static_cast<std::size_t>(m.j) + 1];
    });
    for (std::size_t s = 1; s < firstPair_.size(); ++s) {
        firstPair_[s] += firstPair_[s - 1];
    }
    pairs_.resize(firstPair_.back());
    std::vector<std::uint32_t> next(firstPair_.begin(), firstPair_.end() - 1);
    eachPair([&](const WeightedDiagram::Meeting& m, std::uint32_t first) {
        pairs_[next[static_cast<std::size_t>(m.i)]++] = first;
        pairs_[next[static_cast<std::size_t>(m.j)]++] = first;
    });

    edges_ = pictureEdgeOwners(diagram_.cells(), sorted_);
    std::stable_sort(edges_.begin(), edges_.end(),
                     [](const EdgeStretch& a, const EdgeStretch& b) { return a.site < b.site; });
}

void SiteRegions::boundaryOf(std::int32_t k, std::vector<RegionPart>& parts)
{
    parts.clear();
    const std::int32_t s = sortedOf_[static_cast<std::size_t>(k)];
    const ClipArea& clip = area();
    for (std::uint32_t n = firstPair_[static_cast<std::size_t>(s)]; n < firstPair_[static_cast<std::size_t>(s) + 1];
         ++n) {
        const WeightedDiagram::Meeting& first = diagram_.meetings()[pairs_[n]];
        const std::int32_t i = first.i;
        const std::int32_t j = first.j;
        const std::int32_t t = s == i ? j : i;
        pieces_.clear();
        diagram_.piecesOf(pairs_[n], pieces_, scratch_);
        const auto at = [&](std::int32_t m) { return static_cast<std::size_t>(m); };
        for (const BoundaryPiece& piece : pieces_) {
            if (alongEdge(piece, clip)) {
                continue;
            }
            // The lighter site lies inside its circle, which its pieces go around
            // through growing angles: on their positive side. Between equal weights
            // the side is the line's.
            bool lighterAhead = true;
            if (sorted_.w[at(i)] == sorted_.w[at(j)]) {
                const double dx = piece.end.x - piece.start.x;
                const double dy = piece.end.y - piece.start.y;
                lighterAhead = dx * (sorted_.y[at(i)] - sorted_.y[at(j)]) - dy * (sorted_.x[at(i)] - sorted_.x[at(j)]) > 0;
            }
            parts.push_back({piece, (s == i) != lighterAhead, places_[at(t)]});
        }
    }
    const auto owned = std::equal_range(edges_.begin(), edges_.end(), EdgeStretch{s, {}, {}},
                                        [](const EdgeStretch& a, const EdgeStretch& b) { return a.site < b.site; });
    for (auto e = owned.first; e != owned.second; ++e) {
        BoundaryPiece stretch;
        stretch.start = e->from;
        stretch.end = e->to;
        parts.push_back({stretch, false, -1});
    }
}

}  // namespace voroquarn
