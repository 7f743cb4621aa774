// Where the time of a run with --output goes: the same steps as the program takes to
// write a picture without a window, each timed on its own, once, in a fresh process,
// and then the run (marking and tracing) and the PNG encoding again, repeated, once
// everything is warm.
//
//   bench_phases SITE-FILE WIDTHxHEIGHT OUTPUT-PNG [REPETITIONS]
//
// Prints "name milliseconds" lines; the warm figures are medians of the repetitions.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchArguments.h"
#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/drawDiagram.h"
#include "output/ImageOutput.h"
#include "output/ImageSurface.h"

namespace voroquarn::bench {
namespace {

double milliseconds(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct RunTimes {
    double markSites;  // from the start of the run until the sites are placed and marked
    double tracing;    // from then to the end of the last pair
};

RunTimes drawOnce(ImageSurface& surface, const std::vector<Site>& sites)
{
    SeededRandom random(1);  // unused: the sites are given
    RunSettings settings;
    settings.givenSites = sites;
    QElapsedTimer clock;
    clock.start();
    RunTimes times{};
    settings.onSitesPlaced = [&](const SiteArrays&) {
        times.markSites = milliseconds(clock);
        clock.restart();
    };
    driveToEnd(drawDiagram(surface, random, settings), surface);
    times.tracing = milliseconds(clock);
    return times;
}

}  // namespace
}  // namespace voroquarn::bench

int main(int argc, char* argv[])
{
    using namespace voroquarn;
    using namespace voroquarn::bench;
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_phases SITE-FILE WIDTHxHEIGHT OUTPUT-PNG [REPETITIONS]\n");
        return 2;
    }
    const std::optional<std::vector<Site>> given = sitesArgument("bench_phases", argv[1]);
    const std::optional<QSize> size = sizeArgument("bench_phases", argv[2]);
    if (!given || !size) {
        return 2;
    }
    const std::vector<Site>& sites = *given;
    const std::string output = argv[3];
    const int repetitions = argc > 4 ? std::max(1, std::atoi(argv[4])) : 9;

    // The program's own steps, in its order, each once.
    QElapsedTimer clock;
    clock.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    const double qtStart = milliseconds(clock);

    clock.restart();
    auto surface = std::make_unique<ImageSurface>(*size);
    const double makeImage = milliseconds(clock);

    const RunTimes first = drawOnce(*surface, sites);

    clock.restart();
    if (const auto problem = writePngFile(surface->image(), output)) {
        std::fprintf(stderr, "bench_phases: %s\n", problem->toLocal8Bit().constData());
        return 1;
    }
    const double png = milliseconds(clock);

    // Warm: the same again, repeated.
    std::vector<double> markSites;
    std::vector<double> tracing;
    std::vector<double> pngs;
    for (int r = 0; r < repetitions; ++r) {
        ImageSurface again(*size);
        const RunTimes times = drawOnce(again, sites);
        markSites.push_back(times.markSites);
        tracing.push_back(times.tracing);
        clock.restart();
        writePngFile(again.image(), output);
        pngs.push_back(milliseconds(clock));
    }

    clock.restart();
    surface.reset();
    app.reset();
    const double qtEnd = milliseconds(clock);

    std::printf("qt-start %.3f\n", qtStart);
    std::printf("image %.3f\n", makeImage);
    std::printf("mark-sites %.3f\n", first.markSites);
    std::printf("tracing %.3f\n", first.tracing);
    std::printf("png %.3f\n", png);
    std::printf("qt-end %.3f\n", qtEnd);
    std::printf("warm-mark-sites %.3f\n", median(markSites));
    std::printf("warm-tracing %.3f\n", median(tracing));
    std::printf("warm-png %.3f\n", median(pngs));
    return 0;
}
