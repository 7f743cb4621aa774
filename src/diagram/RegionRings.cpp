#include "diagram/RegionRings.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>
#include <numeric>

#include "diagram/RegionMeasures.h"
#include "diagram/SiteRegions.h"

namespace voroquarn {

namespace {

double distance(PlanePoint a, PlanePoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The direction a part leaves its first point in, or arrives at its last one from: the
// chord to a point a little way along it, so that where two arcs touch, as circles
// through one point do, their bend tells them apart.
PlanePoint heading(const RegionPart& part, bool atEnd)
{
    const BoundaryPiece& piece = part.piece;
    PlanePoint a = piece.start;
    PlanePoint b = piece.end;
    if (piece.shape == BoundaryPiece::Shape::Arc) {
        const double along = std::min(0.125, 1e-3 / lengthOf(piece));
        // The end of the piece the part leaves or reaches, and the point near it.
        const bool nearEnd = atEnd != part.reversed;
        a = nearEnd ? piece.pointAt(1 - along) : piece.start;
        b = nearEnd ? piece.end : piece.pointAt(along);
    }
    return part.reversed ? PlanePoint{a.x - b.x, a.y - b.y} : PlanePoint{b.x - a.x, b.y - a.y};
}

// Joins the parts into rings, each a list of parts end to start. After a part, the next
// is the part whose start meets its end; where several do, the region touches itself
// there, and the first clockwise from the way back is taken, as around a face of a
// planar map. Where no start is near, the nearest one is taken, so that a ring always
// closes.
std::vector<std::vector<std::size_t>> joinRings(std::span<const RegionPart> parts)
{
    const std::size_t count = parts.size();
    std::vector<std::size_t> byX(count);
    std::iota(byX.begin(), byX.end(), 0);
    std::sort(byX.begin(), byX.end(), [&](std::size_t a, std::size_t b) { return parts[a].from().x < parts[b].from().x; });
    std::vector<bool> used(count, false);
    std::vector<std::vector<std::size_t>> rings;
    std::vector<std::size_t> near;
    for (std::size_t first = 0; first < count; ++first) {
        if (used[first]) {
            continue;
        }
        std::vector<std::size_t> ring{first};
        used[first] = true;
        for (std::size_t current = first;;) {
            const PlanePoint end = parts[current].to();
            const auto open = [&](std::size_t p) { return !used[p] || p == first; };
            near.clear();
            const auto low = std::lower_bound(byX.begin(), byX.end(), end.x - SHORTEST_BOUNDARY,
                                              [&](std::size_t p, double x) { return parts[p].from().x < x; });
            for (auto p = low; p != byX.end() && parts[*p].from().x <= end.x + SHORTEST_BOUNDARY; ++p) {
                if (open(*p) && distance(parts[*p].from(), end) <= SHORTEST_BOUNDARY) {
                    near.push_back(*p);
                }
            }
            if (near.empty()) {
                double least = HUGE_VAL;
                for (std::size_t p = 0; p < count; ++p) {
                    if (open(p) && distance(parts[p].from(), end) < least) {
                        least = distance(parts[p].from(), end);
                        near.assign(1, p);
                    }
                }
            }
            // Clockwise from the way back, the first way on.
            const PlanePoint in = heading(parts[current], true);
            const double back = std::atan2(-in.y, -in.x);
            std::size_t next = near.front();
            double leastTurn = HUGE_VAL;
            for (const std::size_t p : near) {
                const PlanePoint out = heading(parts[p], false);
                double turn = std::remainder(back - std::atan2(out.y, out.x), 2 * std::numbers::pi);
                turn = turn <= 0 ? turn + 2 * std::numbers::pi : turn;
                if (turn < leastTurn) {
                    leastTurn = turn;
                    next = p;
                }
            }
            if (next == first) {
                break;
            }
            ring.push_back(next);
            used[next] = true;
            current = next;
        }
        rings.push_back(std::move(ring));
    }
    return rings;
}

// A ring that passes a point twice, where the region touches itself as a crescent
// between two circles through one point does, parted there into rings that pass each
// point once, so that each ring is simple.
void partWhereTouching(std::span<const RegionPart> parts, const std::vector<std::size_t>& ring,
                       std::vector<std::vector<std::size_t>>& rings)
{
    const auto at = [&](std::size_t k) { return parts[ring[k]].from(); };
    // The points of the ring that another of its points meets: few, or none.
    std::vector<std::size_t> byX(ring.size());
    std::iota(byX.begin(), byX.end(), 0);
    std::sort(byX.begin(), byX.end(), [&](std::size_t a, std::size_t b) { return at(a).x < at(b).x; });
    std::vector<bool> touching(ring.size(), false);
    bool any = false;
    for (std::size_t a = 0; a < byX.size(); ++a) {
        for (std::size_t b = a + 1; b < byX.size() && at(byX[b]).x - at(byX[a]).x <= SHORTEST_BOUNDARY; ++b) {
            if (distance(at(byX[a]), at(byX[b])) <= SHORTEST_BOUNDARY) {
                touching[byX[a]] = touching[byX[b]] = true;
                any = true;
            }
        }
    }
    if (!any) {
        rings.push_back(ring);
        return;
    }
    // Along the ring, a point met before closes the ring since then.
    std::vector<std::size_t> path;
    std::vector<std::size_t> marks;  // where in path its touching points are
    for (std::size_t k = 0; k < ring.size(); ++k) {
        if (touching[k]) {
            const PlanePoint p = at(k);
            for (std::size_t m = marks.size(); m-- > 0;) {
                if (distance(parts[path[marks[m]]].from(), p) <= SHORTEST_BOUNDARY) {
                    rings.emplace_back(path.begin() + static_cast<std::ptrdiff_t>(marks[m]), path.end());
                    path.resize(marks[m]);
                    marks.resize(m);
                    break;
                }
            }
            marks.push_back(path.size());
        }
        path.push_back(ring[k]);
    }
    rings.push_back(std::move(path));
}

struct Ring {
    std::vector<PlanePoint> points;
    double area;  // exact, arcs as arcs
};

// Points of a region's rings that meet within rounding become one, so that rings that
// touch, as the circles around a point where they touch, meet at one point rather than
// cross by a hair.
void snapTogether(std::vector<Ring>& rings)
{
    std::vector<PlanePoint*> points;
    for (Ring& ring : rings) {
        for (PlanePoint& p : ring.points) {
            points.push_back(&p);
        }
    }
    std::sort(points.begin(), points.end(), [](const PlanePoint* a, const PlanePoint* b) { return a->x < b->x; });
    for (std::size_t n = 1; n < points.size(); ++n) {
        for (std::size_t m = n; m-- > 0 && points[n]->x - points[m]->x <= SHORTEST_BOUNDARY;) {
            if (distance(*points[m], *points[n]) <= SHORTEST_BOUNDARY) {
                *points[n] = *points[m];
                break;
            }
        }
    }
}

// Twice the signed area of a closed polyline.
double shoelace(const std::vector<PlanePoint>& ring)
{
    double sum = 0;
    for (std::size_t n = 0; n + 1 < ring.size(); ++n) {
        sum += (ring[n].x - ring[0].x) * (ring[n + 1].y - ring[0].y) - (ring[n].y - ring[0].y) * (ring[n + 1].x - ring[0].x);
    }
    return sum;
}

bool contains(const std::vector<PlanePoint>& ring, PlanePoint p)
{
    bool inside = false;
    for (std::size_t n = 0; n + 1 < ring.size(); ++n) {
        const PlanePoint a = ring[n];
        const PlanePoint b = ring[n + 1];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x)) {
            inside = !inside;
        }
    }
    return inside;
}

}  // namespace

void joinLoops(std::vector<RegionPart>& parts, std::vector<std::uint32_t>& loopEnds)
{
    std::vector<RegionPart> joined;
    joined.reserve(parts.size());
    loopEnds.clear();
    for (const std::vector<std::size_t>& ring : joinRings(parts)) {
        for (const std::size_t p : ring) {
            joined.push_back(parts[p]);
        }
        loopEnds.push_back(static_cast<std::uint32_t>(joined.size()));
    }
    parts = std::move(joined);
}

void appendPolyline(const RegionPart& part, double tolerance, std::vector<PlanePoint>& points)
{
    const BoundaryPiece& piece = part.piece;
    points.push_back(part.from());
    if (piece.shape != BoundaryPiece::Shape::Arc) {
        return;
    }
    // A chord of the angle a strays from its arc by r (1 - cos(a / 2)) = 2 r sin²(a / 4);
    // a third of a turn at most, so that the smallest circle keeps an area.
    const double most = std::min(2 * std::numbers::pi / 3,
                                 4 * std::asin(std::sqrt(std::min(1.0, tolerance / (2 * piece.radius)))));
    const double steps = std::ceil(piece.sweep / most);
    const int count = steps < 1e6 ? std::max(1, static_cast<int>(steps)) : 1000000;
    for (int n = 1; n < count; ++n) {
        // The same points, bit for bit, whichever way the piece is walked.
        const int k = part.reversed ? count - n : n;
        points.push_back(piece.pointAt(static_cast<double>(k) / count));
    }
}

std::vector<RegionPolygon> regionPolygons(std::span<const RegionPart> parts, double tolerance)
{
    std::vector<Ring> outers;
    std::vector<Ring> holes;
    // Parts that count as points only blur where the others meet.
    std::vector<RegionPart> lasting;
    std::copy_if(parts.begin(), parts.end(), std::back_inserter(lasting),
                 [](const RegionPart& part) { return lengthOf(part.piece) > SHORTEST_BOUNDARY; });
    parts = lasting;
    std::vector<std::vector<std::size_t>> simple;
    for (const std::vector<std::size_t>& joined : joinRings(parts)) {
        partWhereTouching(parts, joined, simple);
    }
    std::vector<Ring> rings;
    for (const std::vector<std::size_t>& joined : simple) {
        Ring& ring = rings.emplace_back(Ring{{}, 0});
        const PlanePoint origin = parts[joined.front()].from();
        for (const std::size_t p : joined) {
            ring.area += signedAreaOf(parts[p], origin);
            appendPolyline(parts[p], tolerance, ring.points);
        }
    }
    snapTogether(rings);
    for (Ring& ring : rings) {
        const auto same = [](PlanePoint a, PlanePoint b) { return a.x == b.x && a.y == b.y; };
        ring.points.erase(std::unique(ring.points.begin(), ring.points.end(), same), ring.points.end());
        while (ring.points.size() > 1 && same(ring.points.back(), ring.points.front())) {
            ring.points.pop_back();
        }
        if (ring.points.size() < 3 || ring.area == 0 || (shoelace(ring.points) > 0) != (ring.area > 0)) {
            continue;  // no area to speak of: a sliver of rounding
        }
        ring.points.push_back(ring.points.front());
        (ring.area > 0 ? outers : holes).push_back(std::move(ring));
    }
    // Each hole in the smallest outer ring around it.
    std::sort(outers.begin(), outers.end(), [](const Ring& a, const Ring& b) { return a.area < b.area; });
    std::vector<RegionPolygon> polygons(outers.size());
    for (std::size_t n = 0; n < outers.size(); ++n) {
        polygons[n].rings.push_back(std::move(outers[n].points));
    }
    if (polygons.empty()) {
        return polygons;
    }
    for (Ring& hole : holes) {
        const PlanePoint a = hole.points[0];
        const PlanePoint b = hole.points[1];
        const PlanePoint probe{a.x + (b.x - a.x) / 2, a.y + (b.y - a.y) / 2};
        std::size_t around = polygons.size() - 1;
        for (std::size_t n = 0; n + 1 < polygons.size(); ++n) {
            if (contains(polygons[n].rings.front(), probe)) {
                around = n;
                break;
            }
        }
        polygons[around].rings.push_back(std::move(hole.points));
    }
    std::reverse(polygons.begin(), polygons.end());  // the largest first
    return polygons;
}

}  // namespace voroquarn
