// What one sweep step costs in a real window: the drawing run on DiagramWindow with its
// keepResponsive as the program has it (changed pixels put on screen, then the window
// system's events handled), against the same run with the flush left out (events
// only) and with nothing done at a yield but what readies the drawing's next step (the
// upper vector halves cleared, as keepResponsive does). Needs a window system.
//
//   bench_yield SITE-FILE [REPETITIONS [WIDTHxHEIGHT]]
//
// The window's drawing area is 618 x 508 unless a size is given. The three ways are run
// in turn, repetition after repetition, on one window, so that a busy moment on the
// machine does not fall on one of them only. Prints one line per way: "way
// median-us-per-step min max steps cpu-us-per-step", the last the median processor time
// of the whole process (all its threads) per step, which other processes on the machine
// disturb far less than the wall time. Fails unless the window, read back from the X
// server at the end, shows the picture in memory pixel for pixel.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "BenchArguments.h"
#include "core/DrawingSurface.h"
#include "core/RandomSource.h"
#include "core/VectorState.h"
#include "core/WindowMetrics.h"
#include "core/driveToEnd.h"
#include "diagram/drawDiagram.h"
#include "screen/DiagramWindow.h"

namespace voroquarn::bench {
namespace {

enum class Yield { Window, EventsOnly, Nothing };

constexpr std::array<Yield, 3> WAYS{Yield::Window, Yield::EventsOnly, Yield::Nothing};

const char* name(Yield way)
{
    switch (way) {
    case Yield::Window:
        return "window";
    case Yield::EventsOnly:
        return "events-only";
    case Yield::Nothing:
        return "nothing";
    }
    return "?";
}

// Hands every drawing operation to the window and counts the yields; what a yield does
// depends on the way being measured.
class YieldingSurface final : public DrawingSurface {
public:
    YieldingSurface(DiagramWindow& window, Yield way) : window_(window), way_(way) {}

    void showWindow() override { window_.showWindow(); }
    void clear() override { window_.clear(); }
    Colour drawingColour() const override { return window_.drawingColour(); }
    void setDrawingColour(Colour colour) override { window_.setDrawingColour(colour); }
    float outerWidth() const override { return window_.outerWidth(); }
    float outerHeight() const override { return window_.outerHeight(); }
    void drawCircle(float x, float y, float radius, Colour colour, float aspect) override
    {
        window_.drawCircle(x, y, radius, colour, aspect);
    }
    void moveTo(float x, float y) override { window_.moveTo(x, y); }
    void drawNumber(double value) override { window_.drawNumber(value); }
    void setPixel(float x, float y, Colour colour) override { window_.setPixel(x, y, colour); }
    void fillBackground(int y, int left, int right, Colour colour) override
    {
        window_.fillBackground(y, left, right, colour);
    }
    void drawSmoothLine(std::span<const PlanePoint> points, Colour colour) override
    {
        window_.drawSmoothLine(points, colour);
    }

    bool keepResponsive() override
    {
        ++yields_;
        switch (way_) {
        case Yield::Window:
            return window_.keepResponsive();
        case Yield::EventsOnly:
            QCoreApplication::processEvents();
            clearUpperVectorHalves();
            return !window_.isClosed();
        case Yield::Nothing:
            clearUpperVectorHalves();
            return true;
        }
        return true;
    }

    std::int64_t yields() const { return yields_; }

private:
    DiagramWindow& window_;
    Yield way_;
    std::int64_t yields_ = 0;
};

struct Timing {
    double microsecondsPerStep;
    double processorMicrosecondsPerStep;
    std::int64_t steps;
};

// Processor time used by the whole process so far, in nanoseconds.
double processorNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// One whole drawing run; the clock runs from the moment the sites are placed and marked
// to the end of the last pair (and, in the window's own way, the last changes put on
// screen), so it covers the sweeps and nothing before them.
Timing drawOnce(DiagramWindow& window, Yield way, const std::vector<Site>& sites)
{
    YieldingSurface surface(window, way);
    SeededRandom random(1);  // unused: the sites are given
    RunSettings settings;
    settings.givenSites = sites;
    QElapsedTimer clock;
    double processorBefore = 0;
    std::int64_t yieldsBefore = 0;
    settings.onSitesPlaced = [&](const SiteArrays&) {
        yieldsBefore = surface.yields();
        processorBefore = processorNanoseconds();
        clock.start();
    };
    driveToEnd(drawDiagram(surface, random, settings), surface);
    if (way == Yield::Window) {
        window.present();
    }
    const auto elapsed = static_cast<double>(clock.nsecsElapsed());
    const double processor = processorNanoseconds() - processorBefore;
    const std::int64_t steps = surface.yields() - yieldsBefore;
    // Whatever the way left undone reaches the screen before the next run.
    window.present();
    return {elapsed / 1000.0 / static_cast<double>(steps), processor / 1000.0 / static_cast<double>(steps), steps};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace
}  // namespace voroquarn::bench

int main(int argc, char* argv[])
{
    using namespace voroquarn;
    using namespace voroquarn::bench;
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_yield SITE-FILE [REPETITIONS [WIDTHxHEIGHT]]\n");
        return 2;
    }
    const QGuiApplication app(argc, argv);
    const std::optional<std::vector<Site>> given = sitesArgument("bench_yield", argv[1]);
    const std::optional<QSize> size =
        argc > 3 ? sizeArgument("bench_yield", argv[3]) : QSize(DESIGN_WIDTH, DESIGN_HEIGHT);
    if (!given || !size) {
        return 2;
    }
    const std::vector<Site>& sites = *given;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    const QSize area = *size;

    DiagramWindow window(area);
    // One run of each way first, untimed: fonts, caches and the window's mapping.
    for (const Yield way : WAYS) {
        drawOnce(window, way, sites);
    }
    std::array<std::vector<double>, WAYS.size()> perStep;
    std::array<std::vector<double>, WAYS.size()> processorPerStep;
    std::array<std::int64_t, WAYS.size()> steps{};
    for (int r = 0; r < repetitions; ++r) {
        // The order rotates from one repetition to the next.
        for (std::size_t k = 0; k < WAYS.size(); ++k) {
            const std::size_t w = (k + static_cast<std::size_t>(r)) % WAYS.size();
            const Timing t = drawOnce(window, WAYS[w], sites);
            perStep[w].push_back(t.microsecondsPerStep);
            processorPerStep[w].push_back(t.processorMicrosecondsPerStep);
            steps[w] = t.steps;
        }
    }
    // The figures mean something only if the window really was on screen and showed the
    // picture: the last run's picture, read back from the window system, must be the
    // picture in memory pixel for pixel.
    QCoreApplication::processEvents();
    const QImage shown = QGuiApplication::primaryScreen()
                             ->grabWindow(window.winId())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    if (shown != window.image().convertToFormat(QImage::Format_RGB32)) {
        std::fprintf(stderr, "bench_yield: the window does not show the picture (exposed: %d)\n",
                     window.isExposed() ? 1 : 0);
        return 1;
    }
    for (std::size_t w = 0; w < WAYS.size(); ++w) {
        const auto [lo, hi] = std::minmax_element(perStep[w].begin(), perStep[w].end());
        std::printf("%s %.3f %.3f %.3f %lld %.3f\n", name(WAYS[w]), median(perStep[w]), *lo, *hi,
                    static_cast<long long>(steps[w]), median(processorPerStep[w]));
    }
    return window.isClosed() ? 1 : 0;
}
