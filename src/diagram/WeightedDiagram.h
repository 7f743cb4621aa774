#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "diagram/BoundaryPieces.h"
#include "diagram/OwnersAlong.h"
#include "diagram/PairStretches.h"
#include "diagram/SiteCells.h"

namespace voroquarn {

struct SiteArrays;

// The multiplicatively weighted Voronoi diagram of any number of sites inside an area,
// found cell by cell (SiteCells): in each cell, the stretches of the bisectors of its
// candidates along which no other candidate is nearer. These fragments, joined where
// they meet at the cells' edges, are the diagram's exact pieces; the pairs they belong
// to are the neighbours, the pairs that share a boundary inside the area.
//
// Building costs about O(N log N) for random sites and can be done in slices, so that a
// window keeps handling its events meanwhile. The sites are kept by reference and must
// stay as they are while the diagram lives.
class WeightedDiagram {
public:
    // A stretch of the bisector of sites i < j (sorted by weight, counted from 0) inside
    // one cell.
    struct Fragment {
        std::int32_t i;
        std::int32_t j;
        std::uint32_t leaf;
        Stretch stretch;
    };

    // Where sites i < j (from 0) share a boundary in one cell: the cell, and the box
    // their stretches there lie in, in 255ths of the cell's width and height, rounded
    // outwards. Sixteen bytes, for pictures of a million sites.
    struct Meeting {
        std::int32_t i;
        std::int32_t j;
        std::uint32_t leaf;
        std::array<std::uint8_t, 4> box;  // left, top, right, bottom
    };

    // What a diagram keeps besides its meetings: the stretches themselves, for its
    // pieces, or not.
    enum class Keep { Meetings, Pieces };

    // Sites sorted by weight; the area must not be empty.
    WeightedDiagram(const SiteArrays& sites, const ClipArea& area, Keep keep = Keep::Pieces);

    // Goes on building for about `budget` units of work (a unit is a site tested in a
    // cell or a pair of candidates looked at); true once it is done.
    bool build(std::size_t budget);
    void buildAll();
    bool built() const;

    const SiteArrays& sites() const { return sites_; }
    const SiteCells& cells() const { return cells_; }
    // Once built: pair by pair in order, each pair's cells in the order they were found.
    const std::deque<Meeting>& meetings() const { return meetings_; }
    // The box of a meeting, in the area's coordinates.
    ClipArea boxOf(const Meeting& meeting) const;

    // The pieces of the diagram in the area: pair by pair, (1,2), (1,3), ..., each
    // pair's pieces along its bisector, the fragments of neighbouring cells joined.
    // Pieces count their sites from 1. Empty unless built to keep them.
    std::vector<BoundaryPiece> pieces() const;

    // The neighbours: each pair (i, j) of sites (from 0, i < j) with a piece in the area,
    // once, in order.
    std::vector<std::pair<std::int32_t, std::int32_t>> neighbours() const;

    // What piecesOf reuses from one pair to the next.
    struct PairScratch {
        std::vector<std::pair<double, std::int32_t>> order;
        std::vector<WeightedSite> thirds;
        std::vector<Stretch> stretches;
        StretchScratch stretch;
    };

    // The pieces of the pair whose first meeting is meetings()[first], as pieces() has
    // them, appended to `pieces`: found again in the cells of the pair's meetings, so
    // that a diagram that keeps only its meetings gives them one pair at a time. Once
    // built.
    void piecesOf(std::size_t first, std::vector<BoundaryPiece>& pieces, PairScratch& scratch) const;

private:
    void findFragments(std::uint32_t leaf);
    // The candidates of a cell best first, by their ratio at the cell's centre: the
    // likeliest to take a pair's bisector away come first.
    void orderCandidates(const SiteCells::Leaf& cell, std::vector<std::pair<double, std::int32_t>>& order) const;
    // The pieces of the pair i < j from its stretches in all its cells, sorted by their
    // start, appended to `pieces`; joins the stretches in place.
    void appendPieces(std::int32_t i, std::int32_t j, std::vector<Stretch>& stretches,
                      std::vector<BoundaryPiece>& pieces) const;
    // The pairs of a crowded cell: those whose owners follow one another along its edges
    // or leave a site inside it, and those that cut their stretches there, in turn.
    void findCrowdedFragments(std::uint32_t leaf);
    // The first site other than `owner` (from 0), the nearest at a, to be nearer than it
    // along the segment from a to b; `owner` itself if none is.
    std::int32_t firstOtherOwner(PlanePoint a, PlanePoint b, std::int32_t owner) const;
    // Finds the stretches of sites i < j (from 0) in the cell among its other candidates
    // (order_, best first), keeps them and their meeting, and leaves them in scratch_.
    void findPair(std::int32_t i, std::int32_t j, std::uint32_t leaf, const ClipArea& box);

    const SiteArrays& sites_;
    SiteCells cells_;
    Keep keep_;
    std::uint32_t done_ = 0;  // cells whose fragments are found
    bool ordered_ = false;     // the meetings sorted
    // In blocks, not one growing array: see SiteCells.
    std::deque<Meeting> meetings_;
    std::deque<Fragment> fragments_;
    // Reused from cell to cell.
    std::vector<std::pair<double, std::int32_t>> order_;
    std::vector<WeightedSite> thirds_;
    std::vector<std::int32_t> thirdSites_;
    std::vector<WeightedSite> crowd_;
    std::vector<std::int32_t> crowdIds_;
    std::vector<OwnerRun> runs_;
    OwnersScratch ownersScratch_;
    std::vector<std::pair<std::int32_t, std::int32_t>> pairsToFind_;
    std::vector<std::uint64_t> pairsFound_;
    StretchScratch scratch_;
};

}  // namespace voroquarn
