// libFuzzer entry point: the whole run on a site file, from its text to the finished
// picture in memory, on Qt's offscreen platform, filled for inputs of odd length, and
// the diagram the vector files draw, with its exact regions when filled. A crash, a
// hang, a sanitizer report, or a marker, label or region's outline off the numbers
// counts as a fault. The picture is small and fixed, so every input is quick to draw:
// the sweeps never go beyond the picture, whatever the sites.
#include <QGuiApplication>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/Diagram.h"
#include "diagram/SiteFile.h"
#include "diagram/drawDiagram.h"
#include "output/ImageSurface.h"

namespace {

const QSize PICTURE(64, 48);

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    // Qt keeps the argument count and vector for as long as the application lives.
    static int argc = 1;
    static char name[] = "fuzz_wholeRun";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    voroquarn::SiteFileContents contents = voroquarn::parseSiteFile(text);
    if (contents.error) {
        return 0;
    }
    voroquarn::RunSettings settings;
    settings.givenSites = std::move(contents.sites);
    settings.fill = size % 2 == 1;
    voroquarn::ImageSurface surface(PICTURE);
    voroquarn::SeededRandom random(0);
    if (!voroquarn::driveToEnd(voroquarn::drawDiagram(surface, random, settings), surface) ||
        surface.picture().size() != PICTURE) {
        std::fputs("the run did not finish its picture\n", stderr);
        std::abort();
    }
    // Everything a vector file would write is finite, the markers of far sites too.
    const voroquarn::Diagram diagram = voroquarn::recordDiagram(PICTURE.width(), PICTURE.height(), random, settings);
    for (const voroquarn::DiagramMarker& marker : diagram.markers) {
        if (!(std::isfinite(marker.x) && std::isfinite(marker.y))) {
            std::fputs("a marker is not finite\n", stderr);
            std::abort();
        }
    }
    for (const voroquarn::DiagramLabel& label : diagram.labels) {
        if (!(std::isfinite(label.x) && std::isfinite(label.y))) {
            std::fputs("a label is not finite\n", stderr);
            std::abort();
        }
    }
    for (const voroquarn::RegionPatch& patch : diagram.regions) {
        for (const voroquarn::BisectorSide& side : patch.sides) {
            for (const auto& loop : side.loops) {
                for (const voroquarn::BoundaryPiece& piece : loop) {
                    if (!(std::isfinite(piece.start.x) && std::isfinite(piece.start.y) && std::isfinite(piece.end.x) &&
                          std::isfinite(piece.end.y))) {
                        std::fputs("a region's outline is not finite\n", stderr);
                        std::abort();
                    }
                }
            }
        }
    }
    for (const voroquarn::RegionOutline& outline : diagram.outlines) {
        for (const voroquarn::RegionPart& part : outline.parts) {
            if (!(std::isfinite(part.piece.start.x) && std::isfinite(part.piece.start.y) &&
                  std::isfinite(part.piece.end.x) && std::isfinite(part.piece.end.y))) {
                std::fputs("a region's outline is not finite\n", stderr);
                std::abort();
            }
        }
    }
    return 0;
}
