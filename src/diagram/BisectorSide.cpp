#include "diagram/BisectorSide.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "diagram/SiteArrays.h"
#include "diagram/dist.h"

namespace voroquarn {

namespace {

// Along the area's edges, two points closer than this (pixels) may lie either way
// round from each other, as far as their rounding goes.
constexpr double AMBIGUOUS = 1e-4;

// The area's edges, clockwise on screen, each point by its distance along them from the
// top-left corner.
class Edges {
public:
    explicit Edges(const ClipArea& area)
        : area_(area), width_(area.right - area.left), height_(area.bottom - area.top)
    {
    }

    double perimeter() const { return 2 * (width_ + height_); }

    // The position of the point of the edges nearest to p.
    double positionOf(PlanePoint p) const
    {
        const std::array<double, 4> away{std::abs(p.y - area_.top), std::abs(p.x - area_.right),
                                         std::abs(p.y - area_.bottom), std::abs(p.x - area_.left)};
        const auto edge = std::min_element(away.begin(), away.end()) - away.begin();
        switch (edge) {
        case 0:
            return std::clamp(p.x - area_.left, 0.0, width_);
        case 1:
            return width_ + std::clamp(p.y - area_.top, 0.0, height_);
        case 2:
            return width_ + height_ + std::clamp(area_.right - p.x, 0.0, width_);
        default: {
            const double s = 2 * width_ + height_ + std::clamp(area_.bottom - p.y, 0.0, height_);
            return s < perimeter() ? s : 0.0;
        }
        }
    }

    // The corners from the top-left one on, clockwise.
    PlanePoint corner(int n) const
    {
        const std::array<PlanePoint, 4> corners{PlanePoint{area_.left, area_.top}, PlanePoint{area_.right, area_.top},
                                                PlanePoint{area_.right, area_.bottom},
                                                PlanePoint{area_.left, area_.bottom}};
        return corners[static_cast<std::size_t>(n)];
    }
    double cornerPosition(int n) const
    {
        const std::array<double, 4> positions{0, width_, width_ + height_, 2 * width_ + height_};
        return positions[static_cast<std::size_t>(n)];
    }

    // How far clockwise `to` lies from `from`, in [0, perimeter).
    double ahead(double from, double to) const
    {
        const double d = to - from;
        return d < 0 ? d + perimeter() : d;
    }

private:
    ClipArea area_;
    double width_;
    double height_;
};

BoundaryPiece segment(const BoundaryPiece& like, PlanePoint from, PlanePoint to)
{
    BoundaryPiece piece;
    piece.i = like.i;
    piece.j = like.j;
    piece.start = from;
    piece.end = to;
    return piece;
}

// Closes the pieces of a convex side's outline into loops along the area's edges. Each
// piece runs with the side on its right, so from the end of one the outline follows the
// edges clockwise to the start of the next. `inside` tells whether a point lies on the
// side; it decides where a piece's end and the next start lie too close together to
// know which way round the edges lead from one to the other.
template <class Inside>
std::vector<std::vector<BoundaryPiece>> closeAlongEdges(const std::vector<BoundaryPiece>& pieces,
                                                        const ClipArea& area, Inside&& inside)
{
    const Edges edges(area);
    const double perimeter = edges.perimeter();
    std::vector<std::vector<BoundaryPiece>> loops;
    std::vector<bool> used(pieces.size(), false);
    for (std::size_t first = 0; first < pieces.size(); ++first) {
        if (used[first]) {
            continue;
        }
        std::vector<BoundaryPiece> loop;
        for (std::size_t current = first;;) {
            used[current] = true;
            loop.push_back(pieces[current]);
            const PlanePoint end = pieces[current].end;
            const double from = edges.positionOf(end);

            // The next piece: the first start clockwise along the edges, one just behind
            // the end counting as at it.
            std::size_t next = first;
            double nearest = std::numeric_limits<double>::infinity();
            bool others = false;
            for (std::size_t q = 0; q < pieces.size(); ++q) {
                if (used[q] && q != first) {
                    continue;
                }
                others = others || q != first;
                double d = edges.ahead(from, edges.positionOf(pieces[q].start));
                d = d > perimeter - AMBIGUOUS ? 0 : d;
                if (d < nearest) {
                    nearest = d;
                    next = q;
                }
            }
            const PlanePoint to = pieces[next].start;
            double walk = edges.ahead(from, edges.positionOf(to));
            bool lap = false;
            if (std::min(walk, perimeter - walk) < AMBIGUOUS) {
                // The loop closes right there, or the side holds all of the edges but
                // this gap and the loop goes all the way round: then the corner halfway
                // round lies on the side.
                walk = 0;
                if (!others) {
                    int far = 0;
                    for (int n = 1; n < 4; ++n) {
                        const auto offHalf = [&](int m) {
                            return std::abs(edges.ahead(from, edges.cornerPosition(m)) - perimeter / 2);
                        };
                        far = offHalf(n) < offHalf(far) ? n : far;
                    }
                    lap = inside(edges.corner(far));
                }
            }
            // The corners passed on the way, in their order.
            std::array<int, 4> order{0, 1, 2, 3};
            std::sort(order.begin(), order.end(), [&](int a, int b) {
                return edges.ahead(from, edges.cornerPosition(a)) < edges.ahead(from, edges.cornerPosition(b));
            });
            PlanePoint at = end;
            for (const int n : order) {
                const double offset = edges.ahead(from, edges.cornerPosition(n));
                if (offset > 0 && (lap || offset < walk)) {
                    loop.push_back(segment(pieces[current], at, edges.corner(n)));
                    at = edges.corner(n);
                }
            }
            if (at.x != to.x || at.y != to.y) {
                loop.push_back(segment(pieces[current], at, to));
            }
            if (next == first) {
                break;
            }
            current = next;
        }
        loops.push_back(std::move(loop));
    }
    return loops;
}

}  // namespace

BisectorSide lighterSide(const SiteArrays& sites, int i, int j, const ClipArea& area)
{
    const auto inside = [&](PlanePoint p) {
        return dist(p.x, p.y, sites.x[i - 1], sites.y[i - 1]) / sites.w[i - 1] <=
               dist(p.x, p.y, sites.x[j - 1], sites.y[j - 1]) / sites.w[j - 1];
    };
    if (sites.x[i - 1] == sites.x[j - 1] && sites.y[i - 1] == sites.y[j - 1]) {
        // Everywhere but at their place, the heavier site is nearer; copies tie.
        const bool copies = sameSite(sites, static_cast<std::size_t>(i - 1), static_cast<std::size_t>(j - 1));
        return {copies ? BisectorSide::Extent::Everywhere : BisectorSide::Extent::Nowhere, {}};
    }
    SiteArrays pair;
    pair.resize(2);
    for (const int k : {0, 1}) {
        const int site = k == 0 ? i : j;
        pair.x[k] = sites.x[site - 1];
        pair.y[k] = sites.y[site - 1];
        pair.w[k] = sites.w[site - 1];
    }
    std::vector<BoundaryPiece> pieces = boundaryPieces(pair, area);
    if (pieces.empty()) {
        // The bisector misses the area, which then lies wholly on one side of it.
        const PlanePoint centre{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
        return {inside(centre) ? BisectorSide::Extent::Everywhere : BisectorSide::Extent::Nowhere, {}};
    }
    for (BoundaryPiece& piece : pieces) {
        piece.i = i;
        piece.j = j;
    }
    return {BisectorSide::Extent::Outline, closeAlongEdges(pieces, area, inside)};
}

std::vector<BisectorSide> lighterSides(const SiteArrays& sites, const ClipArea& area)
{
    std::vector<BisectorSide> sides;
    for (int i = 1; i < sites.N; ++i) {
        for (int j = i + 1; j <= sites.N; ++j) {
            sides.push_back(lighterSide(sites, i, j, area));
        }
    }
    return sides;
}

std::optional<std::vector<RegionCut>> regionCuts(const std::vector<BisectorSide>& sides, int N, int k)
{
    std::vector<RegionCut> cuts;
    std::size_t n = 0;
    for (int i = 1; i < N; ++i) {
        for (int j = i + 1; j <= N; ++j, ++n) {
            if (i != k && j != k) {
                continue;
            }
            // Site k keeps the lighter side when it is site i, and the rest when it is j.
            const bool outside = j == k;
            switch (sides.at(n).extent) {
            case BisectorSide::Extent::Nowhere:
                if (!outside) {
                    return std::nullopt;
                }
                break;
            case BisectorSide::Extent::Everywhere:
                if (outside) {
                    return std::nullopt;
                }
                break;
            case BisectorSide::Extent::Outline:
                cuts.push_back({n, outside});
                break;
            }
        }
    }
    return cuts;
}

}  // namespace voroquarn
