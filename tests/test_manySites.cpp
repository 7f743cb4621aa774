// Many sites: the diagram's pieces against a brute force that knows nothing of the
// program's cells, and the traced and filled picture against the true boundaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <span>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/BoundaryPieces.h"
#include "diagram/SiteArrays.h"
#include "diagram/WeightedDiagram.h"
#include "diagram/drawDiagram.h"
#include "diagram/RegionColours.h"
#include "diagram/RegionMeasures.h"
#include "diagram/labelsThatFit.h"
#include "diagram/sortByWeight.h"
#include "support/RecordingSurface.h"
#include "support/SiteGrid.h"

namespace voroquarn {
namespace {

using testing::SiteGrid;

constexpr ClipArea AREA{-0.5, -0.5, 799.5, 599.5};

// The sites of a case, sorted by weight as the run sorts them.
struct Case {
    const char* name;
    SiteArrays sites;
};

std::vector<Case> cases()
{
    std::mt19937 engine(2026);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto weight = [&] { return static_cast<float>(999 * unit(engine) + 1); };
    Case random{"random", {}};
    Case clustered{"clustered", {}};
    Case grid{"equal weights on a square grid", {}};
    std::normal_distribution<double> spread(0, 20);
    std::vector<std::pair<double, double>> centres;
    for (int c = 0; c < 25; ++c) {
        centres.emplace_back(800 * unit(engine), 600 * unit(engine));
    }
    for (int k = 0; k < 10000; ++k) {
        random.sites.add(800 * unit(engine), 600 * unit(engine), weight());
        const auto& [cx, cy] = centres[static_cast<std::size_t>(k) % centres.size()];
        clustered.sites.add(cx + spread(engine), cy + spread(engine), weight());
        grid.sites.add(3 + 8 * (k % 100), 3 + 6 * (k / 100), 7.0F);
    }
    // Nearly one place: equal weights 1e-12 px apart, and three within a rounding step.
    Case close{"nearly coincident", {}};
    close.sites.add(400, 300, 50);
    close.sites.add(400 + 1e-12, 300 + 1e-12, 50);
    for (int k = 0; k < 3; ++k) {
        close.sites.add(std::nextafter(200.0, 200.0 + k), std::nextafter(100.0, 100.0 + (k == 2)), 20);
    }
    for (int k = 0; k < 20; ++k) {
        close.sites.add(800 * unit(engine), 600 * unit(engine), weight());
    }
    // Weights in arithmetic progression on a lattice: a third site's tie can touch a
    // pair's circle at the point opposite where it crosses between the pair. Eleven such
    // sites once had an arc in their SVG along which a third site is nearer.
    Case eleven{"eleven sites in arithmetic progression", {}};
    for (const auto& [x, y] : {std::pair{30, 40}, {80, 177}, {130, 314}, {180, 451}, {230, 158}, {280, 295},
                               {330, 432}, {380, 139}, {430, 276}, {480, 413}, {530, 120}}) {
        eleven.sites.add(x, y, static_cast<float>(10 + 80 * eleven.sites.N));
    }
    Case lattice{"arithmetic weights on a lattice", {}};
    for (int k = 0; k < 300; ++k) {
        lattice.sites.add(20 + 40 * (k % 20), 20 + 40 * (k / 20), static_cast<float>(5 + 7 * k));
    }
    std::vector<Case> all{std::move(random), std::move(clustered), std::move(grid), std::move(close), std::move(eleven),
                          std::move(lattice)};
    for (Case& c : all) {
        sortByWeight(c.sites.N, c.sites.w, c.sites.x, c.sites.y);
    }
    return all;
}

double distanceTo(const BoundaryPiece& p, PlanePoint q)
{
    if (p.shape == BoundaryPiece::Shape::Arc) {
        const double angle = std::atan2(q.y - p.centre.y, q.x - p.centre.x);
        if (std::abs(std::remainder(angle - p.startAngle - p.sweep / 2, 2 * std::numbers::pi)) <= p.sweep / 2) {
            return std::abs(std::hypot(q.x - p.centre.x, q.y - p.centre.y) - p.radius);
        }
        return std::min(std::hypot(q.x - p.start.x, q.y - p.start.y), std::hypot(q.x - p.end.x, q.y - p.end.y));
    }
    const double dx = p.end.x - p.start.x;
    const double dy = p.end.y - p.start.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((q.x - p.start.x) * dx + (q.y - p.start.y) * dy) / length2, 0.0, 1.0) : 0;
    return std::hypot(q.x - p.start.x - t * dx, q.y - p.start.y - t * dy);
}

TEST(ManySites, EveryPieceIsOnTheDiagramAndEveryCrossingHasAPiece)
{
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        const SiteArrays& s = c.sites;
        WeightedDiagram diagram(s, AREA);
        diagram.buildAll();
        const std::vector<BoundaryPiece> pieces = diagram.pieces();
        const SiteGrid truth(s, AREA.left, AREA.top, AREA.right, AREA.bottom, 256);
        ASSERT_GT(pieces.size(), static_cast<std::size_t>(s.N) / 2);

        // The regions the pieces bound fill the area: a piece missing anywhere leaves
        // one region open, and their areas no longer add up.
        double total = 0;
        for (const double area : measureRegions(s, AREA).area) {
            total += area;
        }
        const double whole = (AREA.right - AREA.left) * (AREA.bottom - AREA.top);
        EXPECT_NEAR(total / whole, 1, 1e-9);

        // Along every piece, its two sites tie and no other is nearer.
        for (const BoundaryPiece& p : pieces) {
            for (const double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
                const PlanePoint q = p.pointAt(t);
                const double ri = truth.ratio(p.i - 1, q.x, q.y);
                const double tolerance = 1e-9 * ri + 1e-12;
                ASSERT_NEAR(ri, truth.ratio(p.j - 1, q.x, q.y), tolerance) << p.i << "-" << p.j << " at " << q.x << ", " << q.y;
                ASSERT_GE(truth.nearest(q.x, q.y).second, ri - tolerance) << p.i << "-" << p.j << " at " << q.x << ", " << q.y;
            }
        }

        // Where the nearest site changes along a random segment, a piece passes.
        std::mt19937 engine(7);
        std::uniform_real_distribution<double> x(0, 799);
        std::uniform_real_distribution<double> y(0, 599);
        int crossings = 0;
        for (int n = 0; n < 12; ++n) {
            const PlanePoint a{x(engine), y(engine)};
            const PlanePoint b{x(engine), y(engine)};
            const auto at = [&](double t) { return PlanePoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
            const double step = 0.25 / std::hypot(b.x - a.x, b.y - a.y);
            for (double t = 0; t + step <= 1; t += step) {
                double lo = t;
                double hi = t + step;
                const std::int32_t from = truth.nearest(at(lo).x, at(lo).y).first;
                if (truth.nearest(at(hi).x, at(hi).y).first == from) {
                    continue;
                }
                for (int halving = 0; halving < 60 && hi - lo > 1e-16; ++halving) {
                    const double mid = (lo + hi) / 2;
                    (truth.nearest(at(mid).x, at(mid).y).first == from ? lo : hi) = mid;
                }
                const PlanePoint q = at(lo);
                double nearest = 1e300;
                for (const BoundaryPiece& p : pieces) {
                    nearest = std::min(nearest, distanceTo(p, q));
                }
                ++crossings;
                ASSERT_LT(nearest, 1e-6) << "no piece at the crossing " << q.x << ", " << q.y;
            }
        }
        EXPECT_GT(crossings, 12);
    }
}

// A meeting's box, in 255ths of its cell rounded outwards, holds the pair's pieces in
// that cell, also where cells are hundreds of pixels wide and a 255th is pixels.
TEST(ManySites, EachMeetingsBoxHoldsItsPiecesAlsoInWideCells)
{
    std::mt19937 engine(5);
    std::uniform_real_distribution<double> unit(0, 1);
    SiteArrays sites;
    for (int k = 0; k < 30; ++k) {
        sites.add(4000 * unit(engine), 3000 * unit(engine), static_cast<float>(999 * unit(engine) + 1));
    }
    sortByWeight(sites.N, sites.w, sites.x, sites.y);
    const ClipArea area{-0.5, -0.5, 3999.5, 2999.5};
    WeightedDiagram diagram(sites, area);
    diagram.buildAll();
    double widest = 0;
    for (const SiteCells::Leaf& leaf : diagram.cells().leaves()) {
        widest = std::max(widest, leaf.box.right - leaf.box.left);
    }
    ASSERT_GT(widest, 2 * 255);
    for (const BoundaryPiece& p : diagram.pieces()) {
        for (int n = 0; n <= 64; ++n) {
            const PlanePoint q = p.pointAt(n / 64.0);
            const bool held = std::any_of(diagram.meetings().begin(), diagram.meetings().end(), [&](const auto& m) {
                const ClipArea box = diagram.boxOf(m);
                return m.i == p.i - 1 && m.j == p.j - 1 && q.x >= box.left - 1e-6 && q.x <= box.right + 1e-6 &&
                       q.y >= box.top - 1e-6 && q.y <= box.bottom + 1e-6;
            });
            ASSERT_TRUE(held) << p.i << "-" << p.j << " at " << q.x << ", " << q.y;
        }
    }
}

// The run's picture of many sites, traced and filled, drawn without markers and labels:
// every white pixel lies within a pixel of where the nearest site changes, every change
// between two neighbouring pixels has a white pixel within a pixel, and every pixel is
// filled with the colour of its nearest site.
TEST(ManySites, TheTracedAndFilledPictureIsTheDiagram)
{
    constexpr int W = 240;
    constexpr int H = 160;
    std::mt19937 engine(99);
    std::uniform_real_distribution<double> unit(0, 1);
    RunSettings settings;
    settings.markers = false;
    settings.labels = false;
    settings.fill = true;
    for (int k = 0; k < 400; ++k) {
        // Some weights repeat, so that straight boundaries and many-way ties occur too.
        const float w = k % 5 == 0 ? 300.0F : static_cast<float>(999 * unit(engine) + 1);
        settings.givenSites.push_back({W * unit(engine), H * unit(engine), w});
    }
    testing::RecordingSurface window(W + 6, H + 27);
    SeededRandom random(1);
    ASSERT_TRUE(driveToEnd(drawDiagram(window, random, settings), window));

    SiteArrays sites;
    for (const Site& site : settings.givenSites) {
        sites.add(site.x, site.y, site.w);
    }
    sortByWeight(sites.N, sites.w, sites.x, sites.y);
    const SiteGrid truth(sites, 0, 0, W, H, 64);
    const auto index = [&](int x, int y) { return static_cast<std::size_t>(y * W + x); };
    std::vector<std::int32_t> label(W * H);
    std::vector<bool> white(W * H, false);
    std::vector<Colour> filled(W * H, BLACK);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            label[index(x, y)] = truth.nearest(x, y).first;
        }
    }
    for (const testing::Call& call : window.calls) {
        const int x = static_cast<int>(std::floor(call.x + 0.5));
        const int y = static_cast<int>(std::floor(call.y + 0.5));
        if (call.kind == testing::Call::SetPixel && x >= 0 && y >= 0 && x < W && y < H) {
            white[index(x, y)] = true;
        } else if (call.kind == testing::Call::FillBackground && y >= 0 && y < H) {
            for (int column = std::max(0, static_cast<int>(call.x)); column < std::min(W, static_cast<int>(call.value)); ++column) {
                filled[index(column, y)] = call.colour;
            }
        }
    }
    // Each site's colour, as the fill gives its pixels.
    std::vector<Colour> colours(static_cast<std::size_t>(sites.N), BLACK);

    // A change of the nearest site somewhere in the 3 x 3 pixels around one, sampled at
    // quarter pixels; or a site there, whose region may be too small to sample.
    const auto changesNear = [&](int x, int y) {
        std::int32_t seen = -1;
        for (double v = y - 1.5; v <= y + 1.5; v += 0.25) {
            for (double u = x - 1.5; u <= x + 1.5; u += 0.25) {
                const std::int32_t k = truth.nearest(u, v).first;
                if (seen >= 0 && k != seen) {
                    return true;
                }
                seen = k;
            }
        }
        for (std::int32_t k = 0; k < sites.N; ++k) {
            const auto at = static_cast<std::size_t>(k);
            if (std::abs(sites.x[at] - x) <= 1.5 && std::abs(sites.y[at] - y) <= 1.5) {
                return true;
            }
        }
        return false;
    };
    const auto whiteNear = [&](int x, int y) {
        for (int v = std::max(0, y - 1); v <= std::min(H - 1, y + 1); ++v) {
            for (int u = std::max(0, x - 1); u <= std::min(W - 1, x + 1); ++u) {
                if (white[index(u, v)]) {
                    return true;
                }
            }
        }
        return false;
    };
    int changes = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::int32_t k = label[index(x, y)];
            if (white[index(x, y)]) {
                ASSERT_TRUE(changesNear(x, y)) << "white at " << x << ", " << y << " far from any boundary";
            }
            for (const auto& [u, v] : {std::pair{x + 1, y}, std::pair{x, y + 1}}) {
                if (u < W && v < H && label[index(u, v)] != k) {
                    ++changes;
                    ASSERT_TRUE(whiteNear(x, y) || whiteNear(u, v)) << "nothing traced between " << x << ", " << y
                                                                    << " and " << u << ", " << v;
                }
            }
            // Every pixel of a site's region has one colour, and neighbouring regions
            // differ.
            Colour& own = colours[static_cast<std::size_t>(k)];
            ASSERT_NE(filled[index(x, y)], BLACK) << x << ", " << y;
            own = own == BLACK ? filled[index(x, y)] : own;
            ASSERT_EQ(filled[index(x, y)], own) << "pixel " << x << ", " << y << " has another colour than its site's";
            const std::int32_t left = x > 0 ? label[index(x - 1, y)] : k;
            bool twoOnly = left != k;
            for (double u = x - 1; twoOnly && u <= x; u += 1.0 / 16) {
                const std::int32_t between = truth.nearest(u, y).first;
                twoOnly = between == k || between == left;
            }
            if (twoOnly) {
                ASSERT_NE(filled[index(x - 1, y)], own) << "neighbours alike at " << x << ", " << y;
            }
        }
    }
    EXPECT_GT(changes, W * H / 20);
}

// Every traced pixel lies within a pixel of the diagram's pieces, also beside a circle
// smaller than a pixel, where a sweep line that misses the circle once plotted a pixel a
// row away from it.
TEST(ManySites, TracedPixelsLieWithinAPixelOfTheBoundary)
{
    RunSettings settings;
    settings.markers = false;
    settings.labels = false;
    settings.givenSites = {{673.4248665723874, 300.0, 377.77593994140625F}, {673.4913959656869, 300.0, 914.7390747070312F}};
    for (const auto& [x, y] : {std::pair{100, 100}, {300, 100}, {500, 100}, {700, 100}, {100, 500}, {300, 500},
                               {500, 500}, {700, 500}, {100, 300}, {400, 300}}) {
        settings.givenSites.push_back({static_cast<double>(x), static_cast<double>(y), 500});
    }
    // As an 800 x 600 picture reports it: its size with the window's frame.
    testing::RecordingSurface window(806, 627);
    SeededRandom random(1);
    ASSERT_TRUE(driveToEnd(drawDiagram(window, random, settings), window));

    SiteArrays sites;
    for (const Site& site : settings.givenSites) {
        sites.add(site.x, site.y, site.w);
    }
    sortByWeight(sites.N, sites.w, sites.x, sites.y);
    const std::vector<BoundaryPiece> pieces = boundaryPieces(sites, {-0.5, -0.5, 805.5, 626.5});
    int pixels = 0;
    for (const testing::Call& call : window.ofKind(testing::Call::SetPixel)) {
        const PlanePoint pixel{std::floor(call.x + 0.5), std::floor(call.y + 0.5)};
        double nearest = HUGE_VAL;
        for (const BoundaryPiece& p : pieces) {
            nearest = std::min(nearest, distanceTo(p, pixel));
        }
        EXPECT_LE(nearest, 1.0) << "pixel " << pixel.x << ", " << pixel.y;
        ++pixels;
    }
    EXPECT_GT(pixels, 1000);
}

// Three sites of one weight within a rounding step of each other still have an order:
// the diagram is three rays from their meeting point, traced and as pieces, and none of
// the rays goes on beyond it, dotted by rounding.
TEST(NearlyCoincidentSites, MeetInThreeRaysAndNoMore)
{
    RunSettings settings;
    settings.markers = false;
    settings.labels = false;
    settings.givenSites = {{200, 100, 20}, {std::nextafter(200.0, 300.0), 100, 20}, {200, std::nextafter(100.0, 300.0), 20}};
    testing::RecordingSurface window(406, 227);
    SeededRandom random(1);
    ASSERT_TRUE(driveToEnd(drawDiagram(window, random, settings), window));
    int onRays = 0;
    for (const testing::Call& call : window.ofKind(testing::Call::SetPixel)) {
        const double x = call.x - 200;
        const double y = call.y - 100;
        // Up from the meeting point, left of it, and down to the right along y = 2x.
        const bool ray = (std::abs(x) <= 1 && y <= 1) || (std::abs(y) <= 1 && x <= 1) ||
                         (std::abs(y - 2 * x) <= 2.5 && x >= -1);
        ASSERT_TRUE(ray) << "traced at " << call.x << ", " << call.y;
        onRays += std::hypot(x, y) > 5 ? 1 : 0;
    }
    EXPECT_GT(onRays, 300);

    SiteArrays sites;
    for (const Site& site : settings.givenSites) {
        sites.add(site.x, site.y, site.w);
    }
    sortByWeight(sites.N, sites.w, sites.x, sites.y);
    const std::vector<BoundaryPiece> pieces = boundaryPieces(sites, {-0.5, -0.5, 399.5, 199.5});
    ASSERT_EQ(pieces.size(), 3U);
    for (const BoundaryPiece& p : pieces) {
        // Each from the meeting point (to a pixel's 1e-9) to the picture's edge.
        const PlanePoint near = std::hypot(p.start.x - 200, p.start.y - 100) < 1 ? p.start : p.end;
        const PlanePoint far = near.x == p.start.x && near.y == p.start.y ? p.end : p.start;
        EXPECT_LT(std::hypot(near.x - 200, near.y - 100), 1e-9);
        EXPECT_TRUE(far.x <= -0.5 || far.y <= -0.5 || far.y >= 199.5) << far.x << ", " << far.y;
    }
}

// Sites so far out that their squared distances overflow are farther than every site
// inside: alone inside the picture, a site owns all of it, and nothing is traced, with
// few sites or many, filled or not.
TEST(FarSites, WhoseRatiosOverflowDrawNoBoundary)
{
    for (const int far : {4, 20}) {
        RunSettings settings;
        settings.fill = far > 4;
        for (int k = 0; k < far; ++k) {
            const double out = k % 2 == 0 ? 1e308 : -1e308;
            settings.givenSites.push_back({k % 3 == 0 ? out : 300.0 + k, k % 3 == 0 ? 200.0 : out, static_cast<float>(5 + k)});
        }
        settings.givenSites.push_back({300, 200, 13});
        testing::RecordingSurface window(624, 535);
        SeededRandom random(1);
        ASSERT_TRUE(driveToEnd(drawDiagram(window, random, settings), window));
        EXPECT_TRUE(window.ofKind(testing::Call::SetPixel).empty()) << far << " far sites";
    }
}

// Among many sites a label is drawn only where it overlaps no other site's marker and no
// label drawn before it.
TEST(ManySites, LabelsGoWhereThereIsRoom)
{
    const MarkSizes sizes{4, 8, 15};  // a marker reaches 4 px; digits 8 px wide; lines 15 px
    SiteArrays sites;
    sites.add(100, 100, 5);    // alone: labelled
    sites.add(300, 100, 50);   // its label (16 px wide) ends before the next marker ...
    sites.add(322, 100, 5);    // ... which starts at 318: labelled, and so is this one
    sites.add(500, 100, 555);  // the next marker at 520 - 4 lies under its 24 px label
    sites.add(520, 100, 5);
    sites.add(700, 100, 5);    // the next marker lies under this label, not this marker
    sites.add(700, 105, 5);    // under the next label: only the second label stands
    sites.add(-50, 100, 5);    // wholly outside the picture
    sites.add(100, 300, 50);   // its label ends at 116, where the next marker starts:
    sites.add(120, 300, 5);    // touching is room
    sites.add(100, 400, 50);   // the next label starts where this one ends
    sites.add(116, 400, 5);
    const ClipArea extent{-0.5, -0.5, 799.5, 599.5};
    EXPECT_EQ(labelsThatFit(sites, sizes, true, extent),
              (std::vector<bool>{true, true, true, false, true, false, true, false, true, true, false, true}));
    // Without markers only labels stand in the way: of two the first.
    EXPECT_EQ(labelsThatFit(sites, sizes, false, extent),
              (std::vector<bool>{true, true, true, true, false, true, false, false, true, true, true, true}));

    // In the saver's look a label goes beside its marker, apart from it: right, else
    // left, above, below, wholly inside the picture, or nowhere.
    const MarkSizes beside{4, 8, 15, 7, 2};
    SiteArrays saver;
    saver.add(100, 100, 5);    // alone: right
    saver.add(795, 100, 5);    // at the right edge: left
    saver.add(300, 300, 5);    // a marker 12 px to its right: left
    saver.add(312, 300, 5);    // ... which itself goes right
    saver.add(400, 300, 5);    // markers close on both sides: above
    saver.add(391, 300, 5);
    saver.add(409, 300, 5);    // ... the first of these right, this one right of it
    saver.add(500, 595, 5);    // at the bottom, no room beside: above
    saver.add(490, 595, 5);
    saver.add(510, 595, 5);
    saver.add(600, 5, 5);      // at the top, no room beside: below
    saver.add(590, 5, 5);
    saver.add(610, 5, 5);
    saver.add(700, 300, 5);    // surrounded by markers: nowhere
    saver.add(690, 300, 5);    // ... and these go on the free sides
    saver.add(710, 300, 5);
    saver.add(700, 285, 5);
    saver.add(700, 315, 5);
    using S = LabelSpot;
    const std::vector<LabelSpot> spots = labelsBeside(saver, beside, true, extent);
    EXPECT_EQ(spots, (std::vector<LabelSpot>{S::Right, S::Left, S::Left, S::Right, S::Above, S::Left, S::Right,
                                             S::Above, S::Above, S::Above, S::Below, S::Below, S::Below, S::None,
                                             S::Left, S::Right, S::Right, S::Right}));
    for (std::int32_t k = 0; k < saver.N; ++k) {
        const auto at = static_cast<std::size_t>(k);
        if (spots[at] == LabelSpot::None) {
            continue;
        }
        const PlanePoint corner = labelCorner(spots[at], saver.x[at], saver.y[at], saver.w[at], beside);
        const double dx = std::max({corner.x - saver.x[at], saver.x[at] - (corner.x + 8), 0.0});
        const double dy = std::max({corner.y - saver.y[at], saver.y[at] - (corner.y + 15), 0.0});
        EXPECT_GE(std::max(dx, dy), 4 + 2) << "the label of site " << k << " touches its marker";
    }
}

// A colour's light in linear sRGB, from 0x00BBGGRR.
std::array<double, 3> linear(Colour colour)
{
    std::array<double, 3> rgb{};
    for (std::size_t n = 0; n < 3; ++n) {
        const double c = static_cast<double>((colour >> (8 * n)) & 0xFFU) / 255;
        rgb[n] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return rgb;
}

std::array<double, 3> oklab(Colour colour)
{
    const auto [r, g, b] = linear(colour);
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s, 1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
            0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

// White text stays legible on every region colour; the saver's colours are alike in
// lightness and chroma, apart from one another, and neighbours in a diagram differ.
TEST(RegionColours, WhiteStaysLegibleAndTheSaversColoursAreHarmoniousAndApart)
{
    for (const std::span<const Colour> palette : {std::span<const Colour>(REGION_PALETTE), std::span<const Colour>(SAVER_PALETTE)}) {
        for (const Colour colour : palette) {
            const auto [r, g, b] = linear(colour);
            EXPECT_GE(1.05 / (0.2126 * r + 0.7152 * g + 0.0722 * b + 0.05), 4.5) << std::hex << colour;
        }
    }
    for (std::size_t a = 0; a < SAVER_PALETTE.size(); ++a) {
        const auto [L, u, v] = oklab(SAVER_PALETTE[a]);
        EXPECT_GE(L, 0.44);
        EXPECT_LE(L, 0.57);
        EXPECT_NEAR(std::hypot(u, v), 0.105, 0.025) << std::hex << SAVER_PALETTE[a];
        for (std::size_t b = a + 1; b < SAVER_PALETTE.size(); ++b) {
            const auto p = oklab(SAVER_PALETTE[a]);
            const auto q = oklab(SAVER_PALETTE[b]);
            EXPECT_GE(std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]), 0.08) << a << " and " << b;
        }
    }

    // Neighbours differ in colour, whatever the weights: random ones, weights from 1e-6 to
    // 1e6, and a heavy site whose region surrounds a dozen others, each of which would
    // otherwise leave it no colour of its own.
    std::mt19937 engine(3);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<SiteArrays> sets(3);
    for (int k = 0; k < 500; ++k) {
        sets[0].add(800 * unit(engine), 600 * unit(engine), static_cast<float>(999 * unit(engine) + 1));
        sets[1].add(800 * unit(engine), 600 * unit(engine), static_cast<float>(std::pow(10.0, 12 * unit(engine) - 6)));
    }
    sets[2].add(261.1, 74.0, 2420.0F);
    for (int k = 0; k < 14; ++k) {
        sets[2].add(300 + 250 * std::cos(k * 0.45), 300 + 250 * std::sin(k * 0.45), static_cast<float>(k + 1));
    }
    sets[2].add(19.5, 124.7, 71600.0F);
    for (const SiteArrays& placed : sets) {
        SiteArrays sorted = placed;
        sortByWeight(sorted.N, sorted.w, sorted.x, sorted.y);
        WeightedDiagram diagram(sorted, {-0.5, -0.5, 799.5, 599.5});
        diagram.buildAll();
        const auto neighbours = diagram.neighbours();
        for (const std::span<const Colour> palette : {std::span<const Colour>(REGION_PALETTE), std::span<const Colour>(SAVER_PALETTE)}) {
            const std::vector<Colour> colours = neighbourColours(placed, sorted, neighbours, palette);
            for (const auto& [i, j] : neighbours) {
                EXPECT_NE(colours[static_cast<std::size_t>(i)], colours[static_cast<std::size_t>(j)])
                    << placed.N << " sites: " << i << " and " << j;
            }
        }
    }
}

}  // namespace
}  // namespace voroquarn
