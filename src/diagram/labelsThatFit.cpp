#include "diagram/labelsThatFit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "diagram/SiteArrays.h"

namespace voroquarn {

namespace {

struct Box {
    double left;
    double top;
    double right;
    double bottom;

    bool meets(const Box& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

int digitsOf(float w)
{
    double value = std::abs(static_cast<double>(std::floor(w)));
    int digits = 1;
    while (value >= 10 && digits < 40) {
        value /= 10;
        ++digits;
    }
    return digits + (w < 0 ? 1 : 0);
}

// The cells of a grid over the extent that boxes are sorted into.
class Grid {
public:
    Grid(const ClipArea& extent, double cell) : extent_(extent), cell_(cell)
    {
        columns_ = std::max(1, static_cast<int>(std::ceil((extent.right - extent.left) / cell)));
        rows_ = std::max(1, static_cast<int>(std::ceil((extent.bottom - extent.top) / cell)));
    }
    int cells() const { return columns_ * rows_; }

    // Calls each(cell) for the cells the box meets, none for a box outside the extent.
    template <class Each>
    void forEachCell(const Box& box, Each&& each) const
    {
        if (!(box.right > extent_.left && box.left < extent_.right && box.bottom > extent_.top &&
              box.top < extent_.bottom)) {
            return;
        }
        const int c0 = clampTo(box.left - extent_.left, columns_);
        const int c1 = clampTo(box.right - extent_.left, columns_);
        const int r0 = clampTo(box.top - extent_.top, rows_);
        const int r1 = clampTo(box.bottom - extent_.top, rows_);
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                if (each(r * columns_ + c)) {
                    return;
                }
            }
        }
    }

private:
    int clampTo(double offset, int count) const
    {
        return static_cast<int>(std::clamp(std::floor(offset / cell_), 0.0, static_cast<double>(count - 1)));
    }

    ClipArea extent_;
    double cell_;
    int columns_ = 1;
    int rows_ = 1;
};

}  // namespace

PlanePoint labelCorner(LabelSpot spot, double x, double y, float w, const MarkSizes& sizes)
{
    const double width = digitsOf(w) * sizes.digitWidth;
    const double apart = sizes.markerReach + sizes.gap;
    switch (spot) {
    case LabelSpot::None:
    case LabelSpot::AtSite:
        return {x, y};
    case LabelSpot::Right:
        return {x + apart, y - sizes.digitsMiddle};
    case LabelSpot::Left:
        return {x - apart - width, y - sizes.digitsMiddle};
    case LabelSpot::Above:
        return {x - width / 2, y - apart - sizes.labelHeight};
    case LabelSpot::Below:
        return {x - width / 2, y + apart};
    }
    return {x, y};
}

namespace {

// Puts each site's label in the first of `spots` where it overlaps no other site's
// marker (with markers drawn) and no label placed before it, the sites taken in their
// order; a label must lie wholly inside the extent (`whollyInside`), or else only not
// wholly outside it.
std::vector<LabelSpot> placeLabels(const SiteArrays& sites, const MarkSizes& sizes, bool markers,
                                   const ClipArea& extent, std::span<const LabelSpot> spots, bool whollyInside)
{
    const auto count = static_cast<std::size_t>(sites.N);
    std::vector<LabelSpot> placed(count, LabelSpot::None);
    const double reach = sizes.markerReach;
    const auto markerBox = [&](std::size_t k) {
        return Box{sites.x[k] - reach, sites.y[k] - reach, sites.x[k] + reach, sites.y[k] + reach};
    };
    const auto labelBox = [&](std::size_t k, LabelSpot spot) {
        const PlanePoint corner = labelCorner(spot, sites.x[k], sites.y[k], sites.w[k], sizes);
        return Box{corner.x, corner.y, corner.x + digitsOf(sites.w[k]) * sizes.digitWidth,
                   corner.y + sizes.labelHeight};
    };
    const auto inside = [&](const Box& box) {
        return box.left >= extent.left && box.top >= extent.top && box.right <= extent.right &&
               box.bottom <= extent.bottom;
    };
    // Cells about as large as a label, but not so many that they outgrow the sites.
    const double area = (extent.right - extent.left) * (extent.bottom - extent.top);
    const double cell = std::max({3 * sizes.digitWidth, sizes.labelHeight, std::sqrt(area / (4.0 * static_cast<double>(count + 1)))});
    const Grid grid(extent, cell);

    // The markers by cell, as offsets into one list (a counting sort).
    std::vector<std::uint32_t> start(static_cast<std::size_t>(grid.cells()) + 1, 0);
    std::vector<std::uint32_t> markersIn;
    if (markers) {
        for (std::size_t k = 0; k < count; ++k) {
            grid.forEachCell(markerBox(k), [&](int c) { return ++start[static_cast<std::size_t>(c) + 1], false; });
        }
        for (std::size_t c = 1; c < start.size(); ++c) {
            start[c] += start[c - 1];
        }
        markersIn.resize(start.back());
        std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
        for (std::size_t k = 0; k < count; ++k) {
            grid.forEachCell(markerBox(k), [&](int c) {
                markersIn[fill[static_cast<std::size_t>(c)]++] = static_cast<std::uint32_t>(k);
                return false;
            });
        }
    }
    // The labels placed so far, by cell.
    std::vector<std::vector<std::uint32_t>> labelsIn(static_cast<std::size_t>(grid.cells()));

    for (std::size_t k = 0; k < count; ++k) {
        for (const LabelSpot spot : spots) {
            const Box label = labelBox(k, spot);
            if (whollyInside && !inside(label)) {
                continue;
            }
            bool free = true;
            bool anywhere = false;
            grid.forEachCell(label, [&](int c) {
                anywhere = true;
                const auto cellAt = static_cast<std::size_t>(c);
                for (std::uint32_t n = markers ? start[cellAt] : 0; markers && n < start[cellAt + 1] && free; ++n) {
                    free = markersIn[n] == k || !markerBox(markersIn[n]).meets(label);
                }
                for (const std::uint32_t other : labelsIn[cellAt]) {
                    free = free && !labelBox(other, placed[other]).meets(label);
                }
                return !free;
            });
            if (free && anywhere) {
                placed[k] = spot;
                grid.forEachCell(label, [&](int c) {
                    labelsIn[static_cast<std::size_t>(c)].push_back(static_cast<std::uint32_t>(k));
                    return false;
                });
                break;
            }
        }
    }
    return placed;
}

}  // namespace

std::vector<bool> labelsThatFit(const SiteArrays& sites, const MarkSizes& sizes, bool markers, const ClipArea& extent)
{
    constexpr LabelSpot AT_SITE[] = {LabelSpot::AtSite};
    const std::vector<LabelSpot> placed = placeLabels(sites, sizes, markers, extent, AT_SITE, false);
    std::vector<bool> fits(placed.size());
    for (std::size_t k = 0; k < placed.size(); ++k) {
        fits[k] = placed[k] != LabelSpot::None;
    }
    return fits;
}

std::vector<LabelSpot> labelsBeside(const SiteArrays& sites, const MarkSizes& sizes, bool markers,
                                    const ClipArea& extent)
{
    constexpr LabelSpot BESIDE[] = {LabelSpot::Right, LabelSpot::Left, LabelSpot::Above, LabelSpot::Below};
    return placeLabels(sites, sizes, markers, extent, BESIDE, true);
}

}  // namespace voroquarn
