#include "tracingBridge.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CountingSurface.h"
#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/SiteFile.h"
#include "diagram/drawDiagram.h"

struct TracedDiagram {
    std::vector<voroquarn::Site> sites;
    int width;
    int height;
};

namespace {

// Hands the pixels and the steps on to the C callbacks.
class Callbacks final : public voroquarn::bench::CountingSurface::Listener {
public:
    Callbacks(void* context, void (*onPixel)(void*, int, int), int (*onStep)(void*))
        : context_(context), pixel_(onPixel), step_(onStep)
    {
    }
    void pixel(int column, int row) override { pixel_(context_, column, row); }
    bool yield() override { return step_(context_) != 0; }

private:
    void* context_;
    void (*pixel_)(void*, int, int);
    int (*step_)(void*);
};

}  // namespace

extern "C" TracedDiagram* traced_diagram_load(const char* siteFile, int width, int height)
{
    std::ifstream file(siteFile);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    voroquarn::SiteFileContents contents = voroquarn::parseSiteFile(text);
    if (!file || contents.error || width < 1 || height < 1) {
        return nullptr;
    }
    return new TracedDiagram{std::move(contents.sites), width, height};
}

extern "C" void traced_diagram_free(TracedDiagram* diagram) { delete diagram; }

extern "C" long traced_diagram_draw(TracedDiagram* diagram, void* context, void (*pixel)(void*, int, int),
                                    int (*step)(void*))
{
    using namespace voroquarn;
    bench::CountingSurface window(diagram->width, diagram->height);
    Callbacks callbacks(context, pixel, step);
    SeededRandom random(1);  // unused: the sites are given
    RunSettings settings;
    settings.givenSites = diagram->sites;
    settings.onSitesPlaced = [&](const SiteArrays&) { window.listen(&callbacks); };
    driveToEnd(drawDiagram(window, random, std::move(settings)), window);
    return static_cast<long>(window.yields());
}
