// How long the tracing takes: a whole diagram against labelling every pixel by brute
// force and against computing its exact pieces, and the pairs whose bisectors are
// hardest to trace against an ordinary pair.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "CountingSurface.h"
#include "core/WindowMetrics.h"
#include "core/driveToEnd.h"
#include "diagram/BoundaryPieces.h"
#include "diagram/SiteArrays.h"
#include "diagram/dist.h"
#include "diagram/drawDiagram.h"
#include "diagram/sortByWeight.h"
#include "diagram/traceBisector.h"
#include "support/NearestSite.h"

namespace voroquarn::bench {
namespace {

struct Site {
    double x;
    double y;
    float w;
};

// Eleven sites as the program might place them in its opening window: inside the
// margins, weights spread over 1 to 1000 with a light one, a heavy one and several in
// between; the first nine are those of bench/sites-9.txt. The first n of them, sorted by
// weight as the drawing run sorts them.
SiteArrays diagramSites(int n)
{
    const Site eleven[] = {
        {112.4, 87.9, 431.7F},  {503.2, 402.6, 12.3F},  {287.5, 251.1, 978.4F},
        {64.8, 371.0, 155.9F},  {561.7, 58.3, 702.2F},  {390.6, 140.4, 264.0F},
        {205.3, 455.7, 861.5F}, {451.9, 298.2, 547.8F}, {33.1, 205.6, 1.6F},
        {148.2, 310.4, 93.1F},  {522.6, 229.8, 385.5F},
    };
    SiteArrays sites;
    sites.resize(n);
    for (int k = 0; k < n; ++k) {
        const auto at = static_cast<std::size_t>(k);
        sites.x[at] = eleven[at].x;
        sites.y[at] = eleven[at].y;
        sites.w[at] = eleven[at].w;
    }
    sortByWeight(sites.N, sites.w, sites.x, sites.y);
    return sites;
}

// Every bisector of the diagram, pair by pair, as the drawing run traces them.
void BM_traceDiagram(benchmark::State& state)
{
    const SiteArrays sites = diagramSites(static_cast<int>(state.range(0)));
    CountingSurface window(DESIGN_WIDTH, DESIGN_HEIGHT);
    for (auto _ : state) {
        for (const auto [i, j] : SitePairs(static_cast<std::int16_t>(sites.N))) {
            benchmark::DoNotOptimize(driveToEnd(traceBisector(window, sites, i, j), window));
        }
        benchmark::ClobberMemory();
    }
    state.counters["yields"] = benchmark::Counter(static_cast<double>(window.yields()),
                                                  benchmark::Counter::kAvgIterations);
    state.counters["points"] = benchmark::Counter(static_cast<double>(window.points()),
                                                  benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_traceDiagram)->Arg(4)->Arg(9)->Arg(11)->Unit(benchmark::kMicrosecond);

// The same diagram as exact pieces: every visible arc and segment of every pair's
// bisector, clipped to the opening window's drawing area.
void BM_boundaryPieces(benchmark::State& state)
{
    const SiteArrays sites = diagramSites(static_cast<int>(state.range(0)));
    const ClipArea area{0, 0, DESIGN_WIDTH, DESIGN_HEIGHT};
    std::size_t count = 0;
    for (auto _ : state) {
        const std::vector<BoundaryPiece> pieces = boundaryPieces(sites, area);
        count = pieces.size();
        benchmark::DoNotOptimize(pieces.data());
        benchmark::ClobberMemory();
    }
    state.counters["pieces"] = static_cast<double>(count);
}
BENCHMARK(BM_boundaryPieces)->Arg(9)->Arg(11)->Unit(benchmark::kMicrosecond);

// Labels every pixel centre of the opening window with its site of least
// ratio(k, x, y) (ties to the lower index) and marks every pixel whose label differs
// from its left or upper neighbour's as boundary, once per benchmark iteration.
template <class Ratio>
void labelEveryPixel(benchmark::State& state, const SiteArrays& sites, Ratio ratio)
{
    const int width = DESIGN_WIDTH;
    const int height = DESIGN_HEIGHT;
    const auto area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> label(area, 0);
    std::vector<Colour> pixels(area, BLACK);
    for (auto _ : state) {
        testing::labelNearestSites(sites, 0, 0, width, height, ratio, label);
        std::size_t at = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x, ++at) {
                const bool edge = (x > 0 && label[at - 1] != label[at]) ||
                                  (y > 0 && label[at - static_cast<std::size_t>(width)] != label[at]);
                pixels[at] = edge ? WHITE : BLACK;
            }
        }
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
}

// The same diagram without tracing, labelled by distance / weight.
void BM_bruteForce(benchmark::State& state)
{
    const SiteArrays sites = diagramSites(static_cast<int>(state.range(0)));
    labelEveryPixel(state, sites, [&](int k, int x, int y) { return testing::weightedRatio(sites, k, x, y); });
}
BENCHMARK(BM_bruteForce)->Arg(4)->Arg(9)->Unit(benchmark::kMicrosecond);

// The same labelling made as cheap as it gets: squared distances times the precomputed
// inverse squared weights, no square root and no division. It may break near-ties
// differently, which does not matter for the time; it shows how much of the tracing's
// lead is owed to the plain labelling's square roots.
void BM_bruteForceSquared(benchmark::State& state)
{
    const SiteArrays sites = diagramSites(static_cast<int>(state.range(0)));
    std::vector<double> inverseSquaredWeight(static_cast<std::size_t>(sites.N));
    for (int k = 0; k < sites.N; ++k) {
        const double w = sites.w[k];
        inverseSquaredWeight[k] = 1 / (w * w);
    }
    labelEveryPixel(state, sites, [&](int k, int x, int y) {
        const double dx = x - sites.x[k];
        const double dy = y - sites.y[k];
        return (dx * dx + dy * dy) * inverseSquaredWeight[k];
    });
}
BENCHMARK(BM_bruteForceSquared)->Arg(9)->Unit(benchmark::kMicrosecond);

enum class PairCase { Ordinary, EqualWeights, WeightsOneFloatApart, Coincident };

// Two sites alone, lighter first, so that the time is the sweep's and not the third
// sites' tests. Apart from the coincident pair they sit 300 px apart on a diagonal, so
// that a straight bisector crosses both columns and rows.
SiteArrays pairSites(PairCase which)
{
    SiteArrays sites;
    sites.resize(2);
    sites.x = {180.0, 420.0};
    sites.y = {160.0, 340.0};
    switch (which) {
    case PairCase::Ordinary:
        sites.w = {300.0F, 700.0F};
        break;
    case PairCase::EqualWeights:
        sites.w = {500.0F, 500.0F};
        break;
    case PairCase::WeightsOneFloatApart:
        // A circle of radius about 2.5e9: nearly a straight line through the window.
        sites.w = {500.0F, std::nextafter(500.0F, 1000.0F)};
        break;
    case PairCase::Coincident:
        sites.x = {300.0, 300.0};
        sites.y = {250.0, 250.0};
        sites.w = {300.0F, 700.0F};
        break;
    }
    return sites;
}

void BM_tracePair(benchmark::State& state, PairCase which)
{
    const SiteArrays sites = pairSites(which);
    CountingSurface window(DESIGN_WIDTH, DESIGN_HEIGHT);
    for (auto _ : state) {
        benchmark::DoNotOptimize(driveToEnd(traceBisector(window, sites, 1, 2), window));
        benchmark::ClobberMemory();
    }
    state.counters["yields"] = benchmark::Counter(static_cast<double>(window.yields()),
                                                  benchmark::Counter::kAvgIterations);
    state.counters["points"] = benchmark::Counter(static_cast<double>(window.points()),
                                                  benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(BM_tracePair, ordinary, PairCase::Ordinary)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_tracePair, equalWeights, PairCase::EqualWeights)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_tracePair, weightsOneFloatApart, PairCase::WeightsOneFloatApart)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_tracePair, coincident, PairCase::Coincident)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace voroquarn::bench

BENCHMARK_MAIN();
