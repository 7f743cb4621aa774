#include "screen/ExactRegionArea.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "diagram/RegionBound.h"
#include "diagram/WeightedDiagram.h"
#include "diagram/sortByWeight.h"

namespace voroquarn {

namespace {

// The area between an arc of this radius and sweep and its chord: r^2 (t - sin t) / 2,
// by its series where t is small and the difference would cancel away.
double circularSegment(double radius, double sweep)
{
    const double t2 = sweep * sweep;
    const double excess =
        sweep < 1e-2 ? sweep * t2 / 6 * (1 - t2 / 20 * (1 - t2 / 42)) : sweep - std::sin(sweep);
    return radius * radius * excess / 2;
}

// (d/w)^2 from site k to the point.
double ratio(const SiteArrays& sites, std::size_t k, double x, double y)
{
    const double dx = x - sites.x[k];
    const double dy = y - sites.y[k];
    const double w = sites.w[k];
    return (dx * dx + dy * dy) / (w * w);
}

}  // namespace

double exactRegionArea(const SiteArrays& sites, std::int32_t k, const ClipArea& area)
{
    const auto at = static_cast<std::size_t>(k);
    for (std::size_t j = 0; j < static_cast<std::size_t>(sites.N); ++j) {
        if (j != at && sites.x[j] == sites.x[at] && sites.y[j] == sites.y[at] &&
            (sites.w[j] > sites.w[at] || (sites.w[j] == sites.w[at] && j < at))) {
            return 0;
        }
    }
    const std::optional<ClipArea> box = regionBound(sites, k, area);
    if (!box || !(box->right > box->left) || !(box->bottom > box->top)) {
        return 0;
    }
    // The sites that are nearer than k somewhere in the box: the others cannot bound its
    // region, nor can those at its place, which it outweighs. Each carries its index
    // along with y through the sort by weight.
    const double farthest = ratio(sites, at, sites.x[at] - box->left > box->right - sites.x[at] ? box->left : box->right,
                                  sites.y[at] - box->top > box->bottom - sites.y[at] ? box->top : box->bottom);
    std::vector<float> w;
    std::vector<double> x;
    std::vector<std::pair<double, std::size_t>> y;
    for (std::size_t j = 0; j < static_cast<std::size_t>(sites.N); ++j) {
        const double nearestX = std::clamp(sites.x[j], box->left, box->right);
        const double nearestY = std::clamp(sites.y[j], box->top, box->bottom);
        const bool atItsPlace = sites.x[j] == sites.x[at] && sites.y[j] == sites.y[at];
        if (j == at || (!atItsPlace && ratio(sites, j, nearestX, nearestY) <= farthest * (1 + 1e-12))) {
            w.push_back(sites.w[j]);
            x.push_back(sites.x[j]);
            y.emplace_back(sites.y[j], j);
        }
    }
    const auto count = static_cast<std::int32_t>(w.size());
    sortByWeight(count, w, x, y);
    SiteArrays local;
    int own = 0;  // k among the local sites, from 1 as the pieces count
    for (std::size_t j = 0; j < w.size(); ++j) {
        local.add(x[j], y[j].first, w[j]);
        own = y[j].second == at ? static_cast<int>(j) + 1 : own;
    }
    WeightedDiagram diagram(local, *box, WeightedDiagram::Keep::Pieces);
    diagram.buildAll();

    // The integral of (x - left) dy once around the region, counterclockwise in (x, y):
    // the box's left edge adds nothing, its top and bottom neither.
    const double left = box->left;
    const auto chord = [left](PlanePoint p, PlanePoint q) { return ((p.x - left) + (q.x - left)) / 2 * (q.y - p.y); };
    const PlanePoint site{sites.x[at], sites.y[at]};
    double sum = 0;
    std::vector<double> crossings = {box->top, box->bottom};  // of the box's right edge
    const double onEdge = 1e-9 * (1 + std::abs(box->right));
    for (const BoundaryPiece& piece : diagram.pieces()) {
        if (piece.i != own && piece.j != own) {
            continue;
        }
        const int other = piece.i == own ? piece.j : piece.i;
        const double along = chord(piece.start, piece.end);
        if (piece.shape == BoundaryPiece::Shape::Arc) {
            // Arcs turn counterclockwise about their centre; the lighter site is inside.
            const double inside = along + circularSegment(piece.radius, piece.sweep);
            sum += local.w[static_cast<std::size_t>(own - 1)] < local.w[static_cast<std::size_t>(other - 1)] ? inside
                                                                                                            : -inside;
        } else {
            const double side = (piece.end.x - piece.start.x) * (site.y - piece.start.y) -
                                (piece.end.y - piece.start.y) * (site.x - piece.start.x);
            sum += side > 0 ? along : -along;
        }
        for (const PlanePoint end : {piece.start, piece.end}) {
            if (std::abs(end.x - box->right) <= onEdge) {
                crossings.push_back(std::clamp(end.y, box->top, box->bottom));
            }
        }
    }
    // The stretches of the right edge that k owns, upwards in (x, y).
    std::sort(crossings.begin(), crossings.end());
    const auto owns = [&](double py) {
        const double nearest = ratio(local, static_cast<std::size_t>(own - 1), box->right, py);
        for (std::size_t j = 0; j < static_cast<std::size_t>(local.N); ++j) {
            if (ratio(local, j, box->right, py) < nearest) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t c = 1; c < crossings.size(); ++c) {
        if (crossings[c] > crossings[c - 1] && owns((crossings[c - 1] + crossings[c]) / 2)) {
            sum += (box->right - left) * (crossings[c] - crossings[c - 1]);
        }
    }
    return std::max(sum, 0.0);
}

}  // namespace voroquarn
