// libFuzzer entry point: the whole run on a site file, from its text to the finished
// picture in memory, on Qt's offscreen platform. A crash, a hang or a sanitizer report
// counts as a fault. The picture is small and fixed, so every input is quick to draw:
// the sweeps never go beyond the picture, whatever the sites.
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/drawDiagram.h"
#include "sites/SiteFile.h"
#include "window/ImageSurface.h"
#include "window/RandomSource.h"
#include "window/driveToEnd.h"

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
    voroquarn::ImageSurface surface(PICTURE);
    voroquarn::SeededRandom random(0);
    if (!voroquarn::driveToEnd(voroquarn::drawDiagram(surface, random, settings), surface) ||
        surface.image().size() != PICTURE) {
        std::fputs("the run did not finish its picture\n", stderr);
        std::abort();
    }
    return 0;
}
