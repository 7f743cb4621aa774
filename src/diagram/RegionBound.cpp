#include "diagram/RegionBound.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "diagram/SiteArrays.h"

namespace voroquarn {

namespace {

// How far the box is grown against the rounding of the disks and lines: a pixel, and a
// relative part far above the few units of 2^-53 their arithmetic can be off.
constexpr double MARGIN = 1.0;
constexpr double RELATIVE_MARGIN = 1e-9;

bool isEmpty(const ClipArea& box) { return !(box.left <= box.right && box.top <= box.bottom); }

// The box cut down to the disk about (cx, cy) of radius r.
void keepWithinDisk(ClipArea& box, double cx, double cy, double r)
{
    const double grown = r + MARGIN + RELATIVE_MARGIN * (r + std::abs(cx) + std::abs(cy));
    if (!std::isfinite(grown)) {
        return;
    }
    box.left = std::max(box.left, cx - grown);
    box.right = std::min(box.right, cx + grown);
    box.top = std::max(box.top, cy - grown);
    box.bottom = std::min(box.bottom, cy + grown);
}

// The box cut down to the side of the line through (px, py) across (nx, ny) that the
// normal points away from: n.(q - p) <= 0, with the margin's slack.
void keepBehindLine(ClipArea& box, double px, double py, double nx, double ny)
{
    const double length = std::hypot(nx, ny);
    if (!(length > 0) || !std::isfinite(length)) {
        return;
    }
    const double ux = nx / length;
    const double uy = ny / length;
    const double slack = MARGIN + RELATIVE_MARGIN * (std::abs(px) + std::abs(py));
    // The signed distance of a point ahead of the line.
    const auto ahead = [&](double qx, double qy) { return ux * (qx - px) + uy * (qy - py) - slack; };
    const std::array<std::array<double, 2>, 4> corners = {
        {{box.left, box.top}, {box.right, box.top}, {box.right, box.bottom}, {box.left, box.bottom}}};
    ClipArea kept{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    const auto take = [&](double qx, double qy) {
        kept.left = std::min(kept.left, qx);
        kept.right = std::max(kept.right, qx);
        kept.top = std::min(kept.top, qy);
        kept.bottom = std::max(kept.bottom, qy);
    };
    // The box's outline clipped to the half-plane: the corners behind the line and the
    // points where the line crosses an edge.
    for (std::size_t n = 0; n < corners.size(); ++n) {
        const auto [ax, ay] = corners[n];
        const auto [bx, by] = corners[(n + 1) % corners.size()];
        const double da = ahead(ax, ay);
        const double db = ahead(bx, by);
        if (da <= 0) {
            take(ax, ay);
        }
        if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
            const double t = da / (da - db);
            take(ax + t * (bx - ax), ay + t * (by - ay));
        }
    }
    box = kept;
}

}  // namespace

std::optional<ClipArea> regionBound(const SiteArrays& sites, std::int32_t k, const ClipArea& area)
{
    const auto at = static_cast<std::size_t>(k);
    const double mx = sites.x[at];
    const double my = sites.y[at];
    const double wm = sites.w[at];
    ClipArea box = area;
    for (std::int32_t n = 0; n < sites.N && !isEmpty(box); ++n) {
        const auto other = static_cast<std::size_t>(n);
        const double sx = sites.x[other];
        const double sy = sites.y[other];
        const double ws = sites.w[other];
        if (n == k || ws < wm) {
            continue;  // a lighter site keeps site k out of a disk of its own: no box
        }
        const double dx = sx - mx;
        const double dy = sy - my;
        if (ws == wm) {
            // Site k's side of the perpendicular bisector; a copy bounds nothing.
            keepBehindLine(box, mx + dx / 2, my + dy / 2, dx, dy);
            continue;
        }
        // The bisector circle: the points whose distances are as the weights, wm : ws.
        const double wm2 = wm * wm;
        const double ws2 = ws * ws;
        const double divisor = ws2 - wm2;
        keepWithinDisk(box, (ws2 * mx - wm2 * sx) / divisor, (ws2 * my - wm2 * sy) / divisor,
                       wm * ws * std::hypot(dx, dy) / divisor);
    }
    if (isEmpty(box)) {
        return std::nullopt;
    }
    return box;
}

}  // namespace voroquarn
