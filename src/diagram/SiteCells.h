#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "diagram/BoundaryPieces.h"
#include "diagram/Nearer.h"
#include "diagram/OwnedBox.h"

namespace voroquarn {

struct SiteArrays;

// Whether site s is farther than site t (in the weighted sense) from every point of the
// box, for certain: false where rounding could hide a tie. The box's edges count.
bool fartherThroughout(const ClipArea& box, const WeightedSite& s, const WeightedSite& t);

// The area cut into cells, each with its candidates: the few sites that can be nearest
// somewhere in it, every other one farther for certain. Within a cell the diagram is its
// candidates' diagram, so that asking about a point costs a handful of sites, whatever
// their number. The cells are the leaves of a tree of boxes halved across their longer
// side, O(N log N) for random sites. Sites are sorted by weight, from 0; an exact copy
// of an earlier one is left out. Candidates ascend.
class SiteCells {
public:
    // A cell can hold at most this many candidates before it is cut.
    static constexpr std::uint32_t LEAF_SITES = 6;
    // Boxes no wider than this (pixels) are not cut: where more boundaries than that
    // cross a pixel, cutting further would cost as many cells as the boundaries are close.
    static constexpr double FLOOR = 4.0;
    // A box of more candidates than this, and no wider than CROWD_WIDTH, is not cut where
    // both halves keep nine tenths of them (wider boxes keep many by the rough bound alone).
    static constexpr std::uint32_t CROWD = 32;
    static constexpr double CROWD_WIDTH = 256;
    // A safety for areas of any size: no box is cut more often than this.
    static constexpr int MAX_DEPTH = 96;

    // A cell of more candidates than this is crowded: WeightedDiagram finds its pairs
    // along its edges, and the tracing and the fill go through it line by line.
    static constexpr std::uint32_t CROWDED = 12;

    struct Leaf {
        ClipArea box;
        std::uint32_t first;  // of its candidates in candidates()
        std::uint32_t count;

        bool crowded() const { return count > CROWDED; }
    };

    // The sites (sorted by weight, kept by reference while building) and the area to
    // cover, which must not be empty.
    SiteCells(const SiteArrays& sites, const ClipArea& area);

    // Cuts boxes until about `budget` candidate tests are done; true once every box is a
    // cell. New cells are appended to leaves().
    bool build(std::size_t budget);
    bool built() const { return pending_.empty(); }

    const ClipArea& area() const { return area_; }
    // The points and pixels a cell owns.
    OwnedBox owned(const Leaf& leaf) const { return {leaf.box, area_}; }
    const std::deque<Leaf>& leaves() const { return leaves_; }
    std::span<const std::int32_t> candidates(const Leaf& leaf) const
    {
        return {candidates_.data() + leaf.first, leaf.count};
    }
    // The cell that holds the point, or nothing outside the area.
    const Leaf* leafAt(double x, double y) const;

    // Calls each(leaf) for the cells that meet the horizontal line at y, left to right.
    template <class Each>
    void forEachLeafInRow(double y, Each&& each) const
    {
        if (!(y >= area_.top && y <= area_.bottom) || nodes_.empty()) {
            return;
        }
        visitRow(0, y, each);
    }

private:
    struct Node {
        double at = 0;           // where an inner node is cut
        std::uint32_t next = 0;  // inner: the first of its two children; leaf: its cell
        bool leaf = false;
        bool acrossX = false;  // cut at x = at (else y = at)
    };
    struct Pending {
        ClipArea box;
        std::uint32_t node;
        int depth;
        std::size_t begin;  // its candidates in work_
        std::size_t end;
        bool release;  // not a box: the end of its halves, whose parent's list goes
    };

    void step(std::size_t& work);
    // The candidate of work_[begin, end) nearest at the box's centre.
    std::int32_t nearestAtCentre(std::size_t begin, std::size_t end, const ClipArea& box) const;
    // Leaves out of the candidates at [begin, begin + count) of work_ those that another
    // beats all over the box; returns how many stay there.
    std::size_t pruneBeaten(std::size_t begin, std::size_t count, const ClipArea& box);
    // Makes node `at` a cell of the box with the candidates at [begin, begin + count).
    void makeLeaf(std::uint32_t at, const ClipArea& box, std::size_t begin, std::size_t count);
    // Appends to work_ the candidates of `box` among those of its parent at
    // [begin, end) of work_.
    void keepCandidates(std::size_t begin, std::size_t end, const ClipArea& box);
    WeightedSite site(std::int32_t k) const
    {
        const Packed& p = packed_[static_cast<std::size_t>(k)];
        return {p.x, p.y, p.w};
    }

    template <class Each>
    void visitRow(std::uint32_t n, double y, Each& each) const
    {
        const Node& node = nodes_[n];
        if (node.leaf) {
            each(leaves_[node.next]);
            return;
        }
        if (node.acrossX) {
            visitRow(node.next, y, each);
            visitRow(node.next + 1, y, each);
        } else {
            visitRow(y < node.at ? node.next : node.next + 1, y, each);
        }
    }

    // The sites as the tests read them, together in memory.
    struct Packed {
        double x;
        double y;
        double w;
        double inverseSquaredWeight;
        std::int32_t site;  // its place among the sites sorted by weight
    };

    std::vector<Packed> packed_;
    ClipArea area_;
    // In blocks, not one growing array: a million sites make millions of cells, and an
    // array that doubles holds its old and new copies at once.
    std::deque<Node> nodes_;
    std::vector<Pending> pending_;
    // The candidate lists of the pending boxes, the next on top, as places in packed_.
    std::vector<std::int32_t> work_;
    std::vector<bool> beaten_;
    std::deque<Leaf> leaves_;
    std::vector<std::int32_t> candidates_;
};

}  // namespace voroquarn
