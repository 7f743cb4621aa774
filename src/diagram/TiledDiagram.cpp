#include "diagram/TiledDiagram.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <numeric>

#include "core/DrawingSurface.h"
#include "core/driveToEnd.h"
#include "diagram/RegionBound.h"
#include "diagram/WeightedDiagram.h"
#include "diagram/fillRegions.h"
#include "diagram/sortByWeight.h"

namespace voroquarn {

namespace {

// No site owns the pixel: there are no sites.
constexpr std::uint32_t NO_OWNER = std::numeric_limits<std::uint32_t>::max();

// The sites a tile gets on average, for its side.
constexpr double SITES_PER_TILE = 4;
constexpr int LEAST_SIDE = 32;
constexpr int GREATEST_SIDE = 512;

// Where the changes reach more than this part of the tiles, all are found anew in one go.
constexpr double MOSTLY = 0.5;

// Relative room for rounding in leaving a site out, as in SiteCells.
constexpr double CERTAIN = 1e-12;

// Of the sorted sites `from`, those that may be nearest somewhere in the box: every site
// left out is farther, all over the box, than the site whose farthest point of the box is
// nearest in the weighted sense.
void keepPossiblyNearest(const SiteArrays& sites, const ClipArea& box, std::span<const std::int32_t> from,
                         std::vector<std::int32_t>& kept)
{
    const auto ratio = [&](std::int32_t k, double dx, double dy) {
        const double w = sites.w[static_cast<std::size_t>(k)];
        return (dx * dx + dy * dy) / (w * w);
    };
    double bound = HUGE_VAL;
    for (const std::int32_t k : from) {
        const double x = sites.x[static_cast<std::size_t>(k)];
        const double y = sites.y[static_cast<std::size_t>(k)];
        bound = std::min(bound, ratio(k, std::max(std::abs(x - box.left), std::abs(x - box.right)),
                                      std::max(std::abs(y - box.top), std::abs(y - box.bottom))));
    }
    const double limit = bound * (1 + CERTAIN);
    kept.clear();
    for (const std::int32_t k : from) {
        const double x = sites.x[static_cast<std::size_t>(k)];
        const double y = sites.y[static_cast<std::size_t>(k)];
        if (ratio(k, std::max({box.left - x, 0.0, x - box.right}), std::max({box.top - y, 0.0, y - box.bottom})) <=
            limit) {
            kept.push_back(k);
        }
    }
}

// The pixels' owners as the fill labels them: a surface of the picture's size whose
// background fill writes the ids it is given as colours.
class OwnerSurface final : public DrawingSurface {
public:
    OwnerSurface(std::vector<std::uint32_t>& owners, int width, int height)
        : owners_(owners), width_(width), height_(height)
    {
    }

    void showWindow() override {}
    void clear() override {}
    Colour drawingColour() const override { return WHITE; }
    void setDrawingColour(Colour /*colour*/) override {}
    float outerWidth() const override { return static_cast<float>(width_); }
    float outerHeight() const override { return static_cast<float>(height_); }
    void drawCircle(float /*x*/, float /*y*/, float /*radius*/, Colour /*colour*/, float /*aspect*/) override {}
    void moveTo(float /*x*/, float /*y*/) override {}
    void drawNumber(double /*integralValue*/) override {}
    void setPixel(float /*x*/, float /*y*/, Colour /*colour*/) override {}
    void fillBackground(int y, int left, int right, Colour id) override
    {
        if (y < 0 || y >= height_) {
            return;
        }
        const auto row = owners_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
        std::fill(row + std::clamp(left, 0, width_), row + std::clamp(right, 0, width_), id);
    }
    void drawSmoothLine(std::span<const PlanePoint> /*points*/, Colour /*colour*/) override {}
    bool keepResponsive() override { return true; }

private:
    std::vector<std::uint32_t>& owners_;
    int width_;
    int height_;
};

}  // namespace

TiledDiagram::TiledDiagram(int width, int height, int side, bool owners)
    : width_(width), height_(height), side_(std::max(1, side)), hasOwners_(owners)
{
    assert(width >= 1 && height >= 1);
    columns_ = (width_ + side_ - 1) / side_;
    rows_ = (height_ + side_ - 1) / side_;
    tiles_.resize(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_));
    for (int ty = 0; ty < rows_; ++ty) {
        for (int tx = 0; tx < columns_; ++tx) {
            Tile& tile = tiles_[static_cast<std::size_t>(ty * columns_ + tx)];
            tile.left = tx * side_;
            tile.top = ty * side_;
            tile.right = std::min(width_, tile.left + side_);
            tile.bottom = std::min(height_, tile.top + side_);
        }
    }
    if (hasOwners_) {
        owners_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), NO_OWNER);
    }
}

int TiledDiagram::sideFor(int width, int height, std::int32_t sites)
{
    const double side = std::sqrt(static_cast<double>(width) * height * SITES_PER_TILE / std::max(1, sites));
    return static_cast<int>(std::clamp(side, static_cast<double>(LEAST_SIDE), static_cast<double>(GREATEST_SIDE)));
}

std::vector<std::size_t> TiledDiagram::update(const SiteArrays& placed, std::span<const std::uint32_t> ids)
{
    assert(ids.size() == static_cast<std::size_t>(placed.N));
    const SiteArrays previous = std::exchange(sorted_, {});
    const std::vector<std::int32_t> previousIndex = std::exchange(indexOfId_, {});
    sortSites(placed, ids);

    std::vector<bool> marked(tiles_.size(), true);
    if (built_ && !markChanged(previous, previousIndex, marked)) {
        marked.assign(tiles_.size(), true);
    }
    built_ = true;
    std::vector<std::int32_t> all(static_cast<std::size_t>(sorted_.N));
    std::iota(all.begin(), all.end(), 0);
    findTiles(0, 0, columns_, rows_, all, marked);

    std::vector<std::size_t> found;
    for (std::size_t t = 0; t < tiles_.size(); ++t) {
        if (marked[t]) {
            found.push_back(t);
        }
    }
    return found;
}

void TiledDiagram::sortSites(const SiteArrays& placed, std::span<const std::uint32_t> ids)
{
    // Sorted as the run sorts them, the id carried along with y.
    std::vector<float> w = placed.w;
    std::vector<double> x = placed.x;
    std::vector<std::pair<double, std::uint32_t>> yAndId(static_cast<std::size_t>(placed.N));
    for (std::size_t k = 0; k < yAndId.size(); ++k) {
        yAndId[k] = {placed.y[k], ids[k]};
    }
    sortByWeight(placed.N, w, x, yAndId);
    sortedIds_.resize(yAndId.size());
    for (std::size_t k = 0; k < yAndId.size(); ++k) {
        sorted_.add(x[k], yAndId[k].first, w[k]);
        sortedIds_[k] = yAndId[k].second;
    }
    const std::uint32_t most = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    indexOfId_.assign(ids.empty() ? 0 : static_cast<std::size_t>(most) + 1, -1);
    for (std::size_t k = 0; k < sortedIds_.size(); ++k) {
        indexOfId_[sortedIds_[k]] = static_cast<std::int32_t>(k);
    }
}

std::int32_t TiledDiagram::sortedIndexOf(std::uint32_t id) const
{
    return id < indexOfId_.size() ? indexOfId_[id] : -1;
}

bool TiledDiagram::markChanged(const SiteArrays& previous, const std::vector<std::int32_t>& previousIndex,
                               std::vector<bool>& marked) const
{
    marked.assign(tiles_.size(), false);
    const ClipArea area{-0.5, -0.5, width_ - 0.5, height_ - 0.5};
    std::size_t count = 0;
    const auto mark = [&](const SiteArrays& sites, std::int32_t k) {
        const std::optional<ClipArea> box = regionBound(sites, k, area);
        if (!box) {
            return;
        }
        // The tiles whose squares meet the box: pixel centres from left - 0.5 on.
        const int tx0 = std::clamp(static_cast<int>(std::floor((box->left + 0.5) / side_)), 0, columns_ - 1);
        const int tx1 = std::clamp(static_cast<int>(std::floor((box->right + 0.5) / side_)), 0, columns_ - 1);
        const int ty0 = std::clamp(static_cast<int>(std::floor((box->top + 0.5) / side_)), 0, rows_ - 1);
        const int ty1 = std::clamp(static_cast<int>(std::floor((box->bottom + 0.5) / side_)), 0, rows_ - 1);
        for (int ty = ty0; ty <= ty1; ++ty) {
            for (int tx = tx0; tx <= tx1; ++tx) {
                const auto t = static_cast<std::size_t>(ty * columns_ + tx);
                count += marked[t] ? 0 : 1;
                marked[t] = true;
            }
        }
    };
    std::vector<bool> stays(static_cast<std::size_t>(previous.N), false);
    for (std::int32_t k = 0; k < sorted_.N; ++k) {
        const std::uint32_t id = sortedIds_[static_cast<std::size_t>(k)];
        const std::int32_t before = id < previousIndex.size() ? previousIndex[id] : -1;
        const auto now = static_cast<std::size_t>(k);
        if (before >= 0) {
            const auto then = static_cast<std::size_t>(before);
            stays[then] = true;
            if (sameSite(previous, then, sorted_, now)) {
                continue;
            }
            mark(previous, before);
        }
        mark(sorted_, k);
    }
    for (std::int32_t k = 0; k < previous.N; ++k) {
        if (!stays[static_cast<std::size_t>(k)]) {
            mark(previous, k);  // gone
        }
    }
    return static_cast<double>(count) <= MOSTLY * static_cast<double>(tiles_.size());
}

void TiledDiagram::findTiles(int tx0, int ty0, int tx1, int ty1, std::span<const std::int32_t> candidates,
                             const std::vector<bool>& marked)
{
    bool wanted = false;
    for (int ty = ty0; ty < ty1 && !wanted; ++ty) {
        for (int tx = tx0; tx < tx1 && !wanted; ++tx) {
            wanted = marked[static_cast<std::size_t>(ty * columns_ + tx)];
        }
    }
    if (!wanted) {
        return;
    }
    const ClipArea box{tx0 * side_ - 0.5, ty0 * side_ - 0.5, std::min(width_, tx1 * side_) - 0.5,
                       std::min(height_, ty1 * side_) - 0.5};
    std::vector<std::int32_t> kept;
    keepPossiblyNearest(sorted_, box, candidates, kept);
    if (tx1 - tx0 == 1 && ty1 - ty0 == 1) {
        findTile(static_cast<std::size_t>(ty0 * columns_ + tx0), kept);
    } else if (tx1 - tx0 >= ty1 - ty0) {
        const int middle = (tx0 + tx1) / 2;
        findTiles(tx0, ty0, middle, ty1, kept, marked);
        findTiles(middle, ty0, tx1, ty1, kept, marked);
    } else {
        const int middle = (ty0 + ty1) / 2;
        findTiles(tx0, ty0, tx1, middle, kept, marked);
        findTiles(tx0, middle, tx1, ty1, kept, marked);
    }
}

void TiledDiagram::findTile(std::size_t t, std::span<const std::int32_t> candidates)
{
    Tile& tile = tiles_[t];
    SiteArrays local;
    std::vector<std::uint32_t> ids;
    for (const std::int32_t k : candidates) {
        const auto at = static_cast<std::size_t>(k);
        local.add(sorted_.x[at], sorted_.y[at], sorted_.w[at]);
        ids.push_back(sortedIds_[at]);
    }
    tile.sites = ids;
    std::sort(tile.sites.begin(), tile.sites.end());
    tile.pieces.clear();
    if (local.N == 0) {
        return;
    }
    const ClipArea area{tile.left - 0.5, tile.top - 0.5, tile.right - 0.5, tile.bottom - 0.5};
    WeightedDiagram diagram(local, area, WeightedDiagram::Keep::Pieces);
    diagram.buildAll();
    tile.pieces = diagram.pieces();
    for (BoundaryPiece& piece : tile.pieces) {
        piece.i = static_cast<int>(ids[static_cast<std::size_t>(piece.i - 1)]);
        piece.j = static_cast<int>(ids[static_cast<std::size_t>(piece.j - 1)]);
    }
    if (hasOwners_) {
        OwnerSurface surface(owners_, width_, height_);
        driveToEnd(fillRegions(surface, diagram, std::vector<Colour>(ids.begin(), ids.end())), surface);
    }
}

std::vector<std::size_t> TiledDiagram::tilesMeeting(int left, int top, int right, int bottom) const
{
    std::vector<std::size_t> meeting;
    const int tx0 = std::clamp(left / side_, 0, columns_);
    const int tx1 = std::clamp((right + side_ - 1) / side_, 0, columns_);
    const int ty0 = std::clamp(top / side_, 0, rows_);
    const int ty1 = std::clamp((bottom + side_ - 1) / side_, 0, rows_);
    for (int ty = ty0; ty < ty1; ++ty) {
        for (int tx = tx0; tx < tx1; ++tx) {
            meeting.push_back(static_cast<std::size_t>(ty * columns_ + tx));
        }
    }
    return meeting;
}

std::vector<std::pair<std::int32_t, std::int32_t>> TiledDiagram::neighbours() const
{
    std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
    for (const Tile& tile : tiles_) {
        for (const BoundaryPiece& piece : tile.pieces) {
            const std::int32_t a = sortedIndexOf(static_cast<std::uint32_t>(piece.i));
            const std::int32_t b = sortedIndexOf(static_cast<std::uint32_t>(piece.j));
            pairs.emplace_back(std::min(a, b), std::max(a, b));
        }
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

}  // namespace voroquarn
