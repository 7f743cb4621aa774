// The regions as data against a brute-force labelling of every pixel, on random sites
// and on the degenerate ones where pieces meet only to rounding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "diagram/Diagram.h"
#include "diagram/RegionColours.h"
#include "diagram/RegionMeasures.h"
#include "diagram/RegionRings.h"
#include "diagram/SiteRegions.h"
#include "diagram/sortByWeight.h"
#include "support/NearestSite.h"
#include "support/RandomSites.h"

namespace voroquarn {
namespace {

constexpr int W = 160;
constexpr int H = 120;

struct Case {
    std::string name;
    SiteArrays sites;
};

std::vector<Case> cases()
{
    std::vector<Case> all;
    std::mt19937 engine(28);
    for (int n = 0; n < 40; ++n) {
        all.push_back({"random " + std::to_string(n), testing::randomSites(engine, W + 6, H + 27)});
    }
    std::uniform_real_distribution<double> unit(0, 1);
    Case many{"60 random sites", {}};
    for (int k = 0; k < 60; ++k) {
        many.sites.add(W * unit(engine), H * unit(engine), static_cast<float>(1 + 999 * unit(engine)));
    }
    all.push_back(many);
    // Four regions meet at every corner of the grid.
    Case grid{"equal weights on a grid", {}};
    for (int k = 0; k < 80; ++k) {
        grid.sites.add(8 + 16 * (k % 10), 8 + 16 * (k / 10), 5);
    }
    all.push_back(grid);
    // Twelve regions meet at the centre.
    Case circle{"equal weights on a circle", {}};
    for (int k = 0; k < 12; ++k) {
        const double angle = 2 * std::numbers::pi * k / 12;
        circle.sites.add(80 + 50 * std::cos(angle), 60 + 50 * std::sin(angle), 3);
    }
    all.push_back(circle);
    // Every bisector passes through (70, 60): circles that touch there, nested.
    for (const double angle : {0.0, 0.5, 1.2}) {
        Case pencil{"a pencil of circles at " + std::to_string(angle), {}};
        for (const double d : {2.0, 5.0, 11.0, 23.0, 47.0}) {
            pencil.sites.add(70 + d * std::cos(angle), 60 + d * std::sin(angle), static_cast<float>(d));
        }
        all.push_back(pencil);
    }
    // The disc of the second cuts the region of the first in two, and the third makes a
    // hole in the larger part.
    all.push_back({"a region in two parts, one with a hole", {{85, 85, 8}, {-80, 25, 10}, {10, 5, 0.5F}, 3}});
    // The left edge is the bisector of the first two: the first has nothing inside.
    all.push_back({"the edge a bisector", {{-1, 0, 80}, {60, 60, 60}, {5, 5, 5}, 3}});
    return all;
}

bool inside(const std::vector<PlanePoint>& ring, PlanePoint p)
{
    bool in = false;
    for (std::size_t n = 0; n + 1 < ring.size(); ++n) {
        const PlanePoint a = ring[n];
        const PlanePoint b = ring[n + 1];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x)) {
            in = !in;
        }
    }
    return in;
}

// The pairs of sites (from 0, as given) that the diagram's own pieces join, but along the
// area's edge, where the edge is the bisector.
std::set<std::pair<std::int32_t, std::int32_t>> piecePairs(const SiteArrays& given, const ClipArea& area)
{
    SiteArrays sorted = given;
    sortByWeight(sorted.N, sorted.w, sorted.x, sorted.y);
    const std::vector<std::int32_t> places = placesOf(given, sorted);
    std::set<std::pair<std::int32_t, std::int32_t>> pairs;
    for (const BoundaryPiece& piece : boundaryPieces(sorted, area)) {
        const bool alongEdge = piece.shape == BoundaryPiece::Shape::Segment &&
                               ((piece.start.x == piece.end.x && (piece.start.x == area.left || piece.start.x == area.right)) ||
                                (piece.start.y == piece.end.y && (piece.start.y == area.top || piece.start.y == area.bottom)));
        if (lengthOf(piece) > SHORTEST_BOUNDARY && !alongEdge) {
            const std::int32_t a = places[static_cast<std::size_t>(piece.i - 1)];
            const std::int32_t b = places[static_cast<std::size_t>(piece.j - 1)];
            pairs.emplace(std::min(a, b), std::max(a, b));
        }
    }
    return pairs;
}

// Per site: its areas add up to the picture's, each agrees with its pixel count within
// the count's own error, its neighbours are symmetric and those of the diagram's pieces,
// a copy has nothing, and its polygons have its area within what their chords cut off.
TEST(Regions, AddUpMatchThePixelsAndThePiecesAndKeepTheirShape)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name + ": " + testing::describe(c.sites));
        const SiteArrays& sites = c.sites;
        const ClipArea area = drawingArea(W, H);
        const RegionMeasures measures = measureRegions(sites, area);

        std::vector<std::uint8_t> labels;
        testing::labelNearestSites(
            sites, 0, 0, W, H, [&](int k, int x, int y) { return testing::weightedRatio(sites, k, x, y); }, labels);
        std::vector<int> pixels(static_cast<std::size_t>(sites.N), 0);
        for (const std::uint8_t label : labels) {
            ++pixels[label];
        }

        double total = 0;
        std::set<std::pair<std::int32_t, std::int32_t>> pairs;
        SiteRegions regions(sites, area);
        std::vector<RegionPart> parts;
        for (std::int32_t k = 0; k < sites.N; ++k) {
            const auto at = static_cast<std::size_t>(k);
            const double a = measures.area[at];
            total += a;
            EXPECT_LE(std::abs(pixels[at] - a), measures.perimeter[at] / 2 + 4) << "site " << k;
            for (const std::int32_t n : measures.neighboursOf(k)) {
                const auto back = measures.neighboursOf(n);
                EXPECT_TRUE(std::find(back.begin(), back.end(), k) != back.end()) << k << " and " << n;
                pairs.emplace(std::min(k, n), std::max(k, n));
            }
            for (std::int32_t earlier = 0; earlier < k; ++earlier) {
                const auto e = static_cast<std::size_t>(earlier);
                if (sameSite(sites, e, at)) {
                    EXPECT_EQ(a, 0) << "copy " << k;
                    EXPECT_TRUE(measures.neighboursOf(k).empty()) << "copy " << k;
                }
            }

            regions.boundaryOf(k, parts);
            double shoelace = 0;
            for (const RegionPolygon& polygon : regionPolygons(parts, 0.01)) {
                for (std::size_t r = 0; r < polygon.rings.size(); ++r) {
                    const std::vector<PlanePoint>& ring = polygon.rings[r];
                    double twice = 0;
                    for (std::size_t p = 0; p + 1 < ring.size(); ++p) {
                        twice += ring[p].x * ring[p + 1].y - ring[p + 1].x * ring[p].y;
                    }
                    EXPECT_EQ(twice > 0, r == 0) << "site " << k << ": an outer ring turns one way, a hole the other";
                    const PlanePoint middle{(ring[0].x + ring[1].x) / 2, (ring[0].y + ring[1].y) / 2};
                    EXPECT_TRUE(r == 0 || inside(polygon.rings.front(), middle)) << "site " << k << ": a hole astray";
                    shoelace += twice / 2;
                }
            }
            EXPECT_LE(std::abs(shoelace - a), measures.perimeter[at] * 0.01 + 1e-9) << "site " << k;
        }
        EXPECT_NEAR(total, W * H, 1e-9 * W * H);
        EXPECT_EQ(pairs, piecePairs(sites, area));
    }
}

}  // namespace
}  // namespace voroquarn
