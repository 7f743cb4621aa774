// Writes down which pixels the drawing of a site file sets at every sweep step, for the
// raw XCB reference (xcb_steps) to put on screen exactly what the program does, step by
// step. Traces with the program's own drawing run, on a window of the given drawing
// area with the design frame, as the program's window reports it.
//
//   step_points SITE-FILE WIDTHxHEIGHT OUTPUT
//
// OUTPUT is text: a line "width height steps", then steps + 1 lines "count x y x y ...",
// the pixels set before the first step, and after each step until the next (the last
// line: after the last step, until the end of the drawing).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CountingSurface.h"
#include "app/drawDiagram.h"
#include "sites/SiteFile.h"
#include "window/RandomSource.h"
#include "window/driveToEnd.h"

int main(int argc, char* argv[])
{
    using namespace voroquarn;
    using namespace voroquarn::bench;
    int width = 0;
    int height = 0;
    if (argc != 4 || std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || width < 1 || height < 1) {
        std::fprintf(stderr, "usage: step_points SITE-FILE WIDTHxHEIGHT OUTPUT\n");
        return 2;
    }
    std::ifstream file(argv[1]);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    SiteFileContents contents = parseSiteFile(text);
    if (!file || contents.error) {
        std::fprintf(stderr, "step_points: %s: not a site file\n", argv[1]);
        return 2;
    }

    CountingSurface window(width, height);
    std::vector<CountingSurface::Pixels> steps;
    SeededRandom random(1);  // unused: the sites are given
    RunSettings settings;
    settings.givenSites = std::move(contents.sites);
    settings.onSitesPlaced = [&](const SiteArrays&) { window.keepSteps(&steps); };
    driveToEnd(drawDiagram(window, random, std::move(settings)), window);

    std::ofstream out(argv[3]);
    out << width << ' ' << height << ' ' << steps.size() - 1 << '\n';
    for (const CountingSurface::Pixels& pixels : steps) {
        out << pixels.size();
        for (const auto& [x, y] : pixels) {
            out << ' ' << x << ' ' << y;
        }
        out << '\n';
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "step_points: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
