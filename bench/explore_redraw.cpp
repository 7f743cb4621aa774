// What the explorer would take for a change if it drew its whole picture afresh each
// time, as a plain explorer does: the diagram of all the sites and every piece, marker
// and label, at the given size; and what its picture takes for a step of a drag, one
// site moved by (6, 4) or back, drawn again where the step reaches (sites taken at
// random, seeded, 200 steps). Without a display (offscreen).
//
//   explore_redraw SITE-FILE WxH RUNS
//
// Prints "redraw-ms median min max" and "step-ms median p90" of the wall time, one
// thread.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <string>

#include "diagram/SiteFile.h"
#include "screen/ExplorerPicture.h"

using namespace voroquarn;

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: explore_redraw SITE-FILE WxH RUNS\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication app(argc, argv);
    std::ifstream file(argv[1]);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const SiteFileContents contents = parseSiteFile(text);
    int width = 0;
    int height = 0;
    if (contents.error || std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "explore_redraw: bad arguments\n");
        return 2;
    }
    SiteArrays sites;
    for (const Site& site : contents.sites) {
        sites.add(site.x, site.y, site.w);
    }
    std::vector<std::uint32_t> ids(static_cast<std::size_t>(sites.N));
    std::iota(ids.begin(), ids.end(), 0U);
    std::vector<double> times;
    for (int run = 0; run < std::max(1, std::atoi(argv[3])); ++run) {
        const auto begin = std::chrono::steady_clock::now();
        ExplorerPicture picture{ExplorerLook{}};
        picture.update(sites, ids, QSize(width, height));
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("redraw-ms %.3f %.3f %.3f\n", times[times.size() / 2], times.front(), times.back());

    ExplorerPicture picture{ExplorerLook{}};
    picture.update(sites, ids, QSize(width, height));
    std::mt19937 engine(18);
    std::vector<double> steps;
    for (int step = 0; step < 200; ++step) {
        const std::size_t k = engine() % static_cast<std::size_t>(sites.N);
        const double way = step % 2 == 0 ? 1 : -1;
        sites.x[k] += 6 * way;
        sites.y[k] += 4 * way;
        const auto begin = std::chrono::steady_clock::now();
        picture.update(sites, ids, QSize(width, height));
        steps.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    std::sort(steps.begin(), steps.end());
    std::printf("step-ms %.3f %.3f\n", steps[steps.size() / 2], steps[steps.size() * 9 / 10]);
    return 0;
}
