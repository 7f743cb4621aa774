#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "diagram/BoundaryPieces.h"
#include "diagram/SiteArrays.h"

namespace voroquarn {

// The diagram of a picture's sites, found tile by tile (each tile a WeightedDiagram of
// the few sites that may be nearest in it), and kept up to date as sites move, change
// their weight, come and go: only the tiles that a change can reach are found again.
//
// Sites carry ids of the caller's choosing, which stay with a site through its changes;
// pieces name their sites by these ids. A change to site s alters the diagram only where
// s was or is nearest, which its regionBound before and after holds; the tiles that meet
// either box are found anew, the others stay as they were, exactly as a fresh diagram
// of the new sites has them.
//
// Optionally the diagram also labels every pixel with the id of its site, as the fill
// decides it (fillRegions): the owner of the pixel.
class TiledDiagram {
public:
    struct Tile {
        // Its pixels: columns left to right - 1, rows top to bottom - 1.
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        // The diagram's pieces in it, clipped to the square its pixels cover; i and j are
        // the ids of the two sites.
        std::vector<BoundaryPiece> pieces;
        // The ids of the sites that may be nearest somewhere in it, ascending.
        std::vector<std::uint32_t> sites;
    };

    // For a picture of width x height pixels (each at least 1) cut into tiles of about
    // `side` pixels; with `owners`, the pixels are labelled too.
    TiledDiagram(int width, int height, int side, bool owners);

    // The tile side that keeps about 16 sites a tile for this many sites in this picture,
    // within 32 to 512 pixels.
    static int sideFor(int width, int height, std::int32_t sites);

    // Makes it the diagram of `placed` (in the order they were placed), site k carrying
    // ids[k]; ids are distinct. Returns the indices of the tiles found anew: all of them
    // the first time.
    std::vector<std::size_t> update(const SiteArrays& placed, std::span<const std::uint32_t> ids);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<Tile>& tiles() const { return tiles_; }
    // The tiles that meet the box of pixels [left, right) x [top, bottom), in order.
    std::vector<std::size_t> tilesMeeting(int left, int top, int right, int bottom) const;

    // The sites sorted by weight as the drawing run sorts them (sortByWeight), and their ids.
    const SiteArrays& sorted() const { return sorted_; }
    std::span<const std::uint32_t> sortedIds() const { return sortedIds_; }
    // Where a site of this id stands in sorted(), or -1 for none.
    std::int32_t sortedIndexOf(std::uint32_t id) const;
    // Each pair of sorted sites (from 0, i < j) that shares a piece, once, in order.
    std::vector<std::pair<std::int32_t, std::int32_t>> neighbours() const;
    // The id of the site that owns each pixel, row by row; empty without owners.
    std::span<const std::uint32_t> owners() const { return owners_; }

private:
    void sortSites(const SiteArrays& placed, std::span<const std::uint32_t> ids);
    // Marks the tiles whose diagram the changes from the previous sites can touch; false
    // when that is all of them anyway.
    bool markChanged(const SiteArrays& previous, const std::vector<std::int32_t>& previousIndex,
                     std::vector<bool>& marked) const;
    // Finds the marked tiles of columns [tx0, tx1) and rows [ty0, ty1) of tiles, among
    // the sorted sites `candidates`.
    void findTiles(int tx0, int ty0, int tx1, int ty1, std::span<const std::int32_t> candidates,
                   const std::vector<bool>& marked);
    void findTile(std::size_t t, std::span<const std::int32_t> candidates);

    int width_;
    int height_;
    int side_;
    int columns_;
    int rows_;
    bool hasOwners_;
    bool built_ = false;
    std::vector<Tile> tiles_;
    SiteArrays sorted_;
    std::vector<std::uint32_t> sortedIds_;
    std::vector<std::int32_t> indexOfId_;  // by id: the site's place in sorted_, or -1
    std::vector<std::uint32_t> owners_;
};

}  // namespace voroquarn
