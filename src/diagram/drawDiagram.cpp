#include "diagram/drawDiagram.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <tuple>

#include "core/BackgroundWork.h"
#include "core/DrawingSurface.h"
#include "core/Progress.h"
#include "core/RandomSource.h"
#include "diagram/RegionColours.h"
#include "diagram/SiteArrays.h"
#include "diagram/WeightedDiagram.h"
#include "diagram/buildDiagram.h"
#include "diagram/drawPieces.h"
#include "diagram/fillRegions.h"
#include "diagram/makeSites.h"
#include "diagram/sortByWeight.h"
#include "diagram/sweep.h"
#include "diagram/traceBisector.h"
#include "diagram/traceCellByLines.h"

namespace voroquarn {

namespace {

// Between two Work slices: about this many sites marked, or units of the diagram built.
constexpr std::int32_t MARKS_PER_SLICE = 2048;
constexpr std::size_t BUILD_PER_SLICE = 50000;

SiteMarks marksOf(const RunSettings& settings, bool eachAsPlaced)
{
    return {settings.count, eachAsPlaced, settings.markers, settings.labels};
}

// The area the diagram of many sites is found in: the window's extent, pixel centres
// from 0 on, each pixel the square its centre is nearest to.
ClipArea extentOf(const DrawingSurface& window)
{
    const SweepExtents extents = sweepExtents(window);
    return {-0.5, -0.5, extents.columns - 0.5, extents.rows - 0.5};
}


// The tracing of many sites: pair by pair, and for each pair the cells where it has a
// stretch of the diagram, where it lies there; then the crowded cells, line by line.
Steps traceNeighbours(DrawingSurface& window, const WeightedDiagram& diagram, Progress* progress)
{
    const SiteCells& cells = diagram.cells();
    ItemsDone traced(progress, RunPhase::Drawing, diagram.meetings().size());
    for (const WeightedDiagram::Meeting& m : diagram.meetings()) {
        ++traced;
        const SiteCells::Leaf& leaf = cells.leaves()[m.leaf];
        if (!leaf.crowded()) {
            co_await traceBisectorInCell(window, diagram.sites(), m.i + 1, m.j + 1, cells.owned(leaf),
                                         diagram.boxOf(m), cells.candidates(leaf));
        }
    }
    for (const SiteCells::Leaf& leaf : cells.leaves()) {
        if (leaf.crowded()) {
            co_await traceCellByLines(window, diagram.sites(), cells, leaf);
        }
    }
}

// The steps of the tracing of few sites, sorted.
std::int64_t tracingAhead(const SiteArrays& sites, const SweepExtents& extents)
{
    std::int64_t steps = 0;
    for (const auto [i, j] : SitePairs(static_cast<std::int16_t>(sites.N))) {
        steps += TracingSteps(sites, i, j).whole(extents);
    }
    return steps;
}

// The same for many sites, with their diagram.
std::int64_t tracingAhead(const WeightedDiagram& diagram, const SweepExtents& extents)
{
    const SiteCells& cells = diagram.cells();
    std::int64_t steps = 0;
    std::optional<TracingSteps> pair;
    for (std::size_t n = 0; n < diagram.meetings().size(); ++n) {
        const WeightedDiagram::Meeting& m = diagram.meetings()[n];
        // The meetings come pair by pair: each pair's bisector is found once.
        if (n == 0 || m.i != diagram.meetings()[n - 1].i || m.j != diagram.meetings()[n - 1].j) {
            pair.emplace(diagram.sites(), m.i + 1, m.j + 1);
        }
        const SiteCells::Leaf& leaf = cells.leaves()[m.leaf];
        if (!leaf.crowded()) {
            steps += pair->inCell(cells.owned(leaf), diagram.boxOf(m), extents);
        }
    }
    for (const SiteCells::Leaf& leaf : cells.leaves()) {
        if (leaf.crowded()) {
            steps += cellByLinesSteps(cells, leaf, extents);
        }
    }
    return steps;
}

}  // namespace

// Markers are drawn at the nearest quarter of a pixel, which no eye tells from their
// place among so many, so that a surface can draw each kind of marker once and copy it.
Steps markPlacedSites(DrawingSurface& window, const SiteArrays& placed, const RunSettings& settings)
{
    const auto quarter = [](double v) { return static_cast<float>(std::round(v * 4) / 4); };
    if (settings.markers) {
        for (std::int32_t k = 0; k < placed.N; ++k) {
            // Not before the first: the window's first repaint then shows markers.
            if (k > 0 && k % MARKS_PER_SLICE == 0) {
                co_yield Steps::Work{};
            }
            const auto at = static_cast<std::size_t>(k);
            window.drawCircle(quarter(placed.x[at]), quarter(placed.y[at]), MARKER_RADIUS, window.drawingColour(),
                              1.0F);
        }
    }
    if (!settings.labels) {
        co_return;
    }
    co_yield Steps::Work{};
    std::vector<LabelSpot> spots;
    if (settings.look == Look::Saver) {
        spots = labelsBeside(placed, settings.markSizes, settings.markers, extentOf(window));
    } else {
        const std::vector<bool> fits = labelsThatFit(placed, settings.markSizes, settings.markers, extentOf(window));
        spots.reserve(fits.size());
        for (const bool fit : fits) {
            spots.push_back(fit ? LabelSpot::AtSite : LabelSpot::None);
        }
    }
    for (std::int32_t k = 0; k < placed.N; ++k) {
        const auto at = static_cast<std::size_t>(k);
        if (k % MARKS_PER_SLICE == 0) {
            co_yield Steps::Work{};
        }
        if (spots[at] != LabelSpot::None) {
            const PlanePoint corner = labelCorner(spots[at], placed.x[at], placed.y[at], placed.w[at], settings.markSizes);
            window.moveTo(quarter(corner.x), quarter(corner.y));
            window.drawNumber(static_cast<double>(std::floor(placed.w[at])));
        }
    }
}

std::int32_t sitesToPlace(const RunSettings& settings)
{
    if (!settings.givenSites.empty()) {
        return static_cast<std::int32_t>(settings.givenSites.size());
    }
    return settings.count.value_or(9);
}

SiteArrays placeRunSites(DrawingSurface& window, RandomSource& random, const RunSettings& settings)
{
    SiteArrays sites;

    window.showWindow();
    // With given sites nothing is drawn at random; the generator is still seeded here,
    // so that the steps keep their order whichever way the sites come.
    random.reseed();
    window.clear();
    window.setDrawingColour(WHITE);

    const SiteMarks marks = marksOf(settings, sitesToPlace(settings) <= MAX_SITES && settings.look == Look::Design);
    if (settings.givenSites.empty()) {
        makeSites(window, random, sites, settings.margins, marks);
    } else {
        placeSites(window, settings.givenSites, sites, marks);
    }
    if (settings.onSitesPlaced) {
        settings.onSitesPlaced(sites);
    }
    return sites;
}

Steps drawDiagram(DrawingSurface& window, RandomSource& random, RunSettings settings)
{
    SiteArrays sites = placeRunSites(window, random, settings);
    std::vector<Site>().swap(settings.givenSites);  // placed: a million of them are 24 MB
    const bool few = sites.N <= MAX_SITES;
    const SiteArrays placed = few || settings.fill || settings.markers || settings.labels ? sites : SiteArrays{};

    const std::span<const Colour> palette =
        settings.look == Look::Saver ? std::span<const Colour>(SAVER_PALETTE) : REGION_PALETTE;
    // In the saver's look the marks go on top of the fill, which they are smoothed into.
    const bool marksBeforeFill = settings.look == Look::Saver && !settings.fill;
    const bool marksAfterFill = settings.look == Look::Saver && settings.fill;
    if (few) {
        if (marksBeforeFill) {
            co_await markPlacedSites(window, placed, settings);
        }
        sortByWeight(sites.N, sites.w, sites.x, sites.y);  // lighter first
        std::vector<BoundaryPiece> pieces;
        if (settings.smooth) {
            pieces = boundaryPieces(sites, extentOf(window));
        }
        if (settings.sayStepsAhead) {
            const SweepExtents extents = sweepExtents(window);
            co_yield Steps::StepsAhead{(settings.fill && sites.N >= 1 ? fillSteps(extents) : 0) +
                                       (settings.smooth ? pieceSteps(pieces) : tracingAhead(sites, extents))};
        }
        // Filled only where the picture is still background, so that the markers stay
        // what the window has shown since they were drawn.
        if (settings.fill) {
            co_await fillRegions(window, sites, regionColours(placed, sites, palette), settings.progress);
        }
        if (marksAfterFill) {
            co_await markPlacedSites(window, placed, settings);
        }
        if (settings.smooth) {
            co_await drawPieces(window, std::move(pieces), settings.progress);
            co_return;
        }
        const double pairs = sites.N * (sites.N - 1) / 2.0;
        int traced = 0;
        for (const auto [i, j] : SitePairs(static_cast<std::int16_t>(sites.N))) {
            report(settings.progress, RunPhase::Drawing, traced++ / pairs);
            co_await traceBisector(window, sites, i, j);
        }
        co_return;
    }

    // The sort and the diagram in a thread of their own, the markers meanwhile here.
    const ClipArea area = extentOf(window);
    const bool fill = settings.fill;
    const bool sayAhead = settings.sayStepsAhead;
    const bool smooth = settings.smooth;
    Progress* const progress = settings.progress;
    std::vector<BoundaryPiece> pieces;
    const SweepExtents extents = sweepExtents(window);
    std::optional<WeightedDiagram> diagram;
    std::vector<Colour> colours;
    std::int64_t ahead = 0;
    const BackgroundWork finding([&](const std::stop_token& stop) {
        report(progress, RunPhase::Diagram, 0);
        sortByWeight(sites.N, sites.w, sites.x, sites.y);
        diagram.emplace(sites, area, smooth ? WeightedDiagram::Keep::Pieces : WeightedDiagram::Keep::Meetings);
        if (!buildDiagram(*diagram, progress, BUILD_PER_SLICE, stop)) {
            return;
        }
        if (fill) {
            colours = neighbourColours(placed, sites, diagram->neighbours(), palette);
        }
        if (smooth) {
            pieces = diagram->pieces();
        }
        if (sayAhead) {
            ahead = (fill ? fillSteps(area, extents) : 0) + (smooth ? pieceSteps(pieces) : tracingAhead(*diagram, extents));
        }
    });
    if (!marksAfterFill) {
        co_await markPlacedSites(window, placed, settings);
    }
    co_await waitFor(finding);
    if (sayAhead) {
        co_yield Steps::StepsAhead{ahead};
    }
    if (fill) {
        co_await fillRegions(window, *diagram, colours, progress);
    }
    if (marksAfterFill) {
        co_await markPlacedSites(window, placed, settings);
    }
    if (smooth) {
        co_await drawPieces(window, std::move(pieces), progress);
    } else {
        co_await traceNeighbours(window, *diagram, progress);
    }
}

}  // namespace voroquarn
