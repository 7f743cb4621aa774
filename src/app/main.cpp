#include <QGuiApplication>
#include <cstdio>
#include <memory>

#include "app/ImageOutput.h"
#include "app/Messages.h"
#include "app/Options.h"
#include "app/PlatformGuard.h"
#include "app/SiteInput.h"
#include "app/WindowRun.h"
#include "app/drawDiagram.h"
#include "sites/SiteArrays.h"
#include "window/ImageSurface.h"
#include "window/RandomSource.h"
#include "window/driveToEnd.h"

using namespace voroquarn;

namespace {

void printSites(const SiteArrays& sites)
{
    for (int k = 0; k < sites.N; ++k) {
        std::printf("%s\n", formatSite({sites.x[k], sites.y[k], sites.w[k]}).c_str());
    }
    std::fflush(stdout);
}

// Draws into an image of the drawing area's size and writes it as PNG; needs no display.
int renderToFile(int argc, char* argv[], const Options& options, RunSettings settings)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PlatformGuard guard;
    const QGuiApplication app(argc, argv);
    guard.connected();

    ImageSurface surface(options.size);
    SeededRandom random(options.seed);
    driveToEnd(drawDiagram(surface, random, std::move(settings)), surface);
    if (const auto problem = writePng(surface.image(), *options.outputPath)) {
        return fail(*problem);
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int n = 0; n < argc; ++n) {
        arguments << QString::fromLocal8Bit(argv[n]);
    }
    const CommandLine command = parseCommandLine(arguments);
    if (!command.options) {
        if (command.isError) {
            return fail(command.text);
        }
        std::fputs(command.text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    const Options& options = *command.options;

    RunSettings settings;
    if (options.sitesPath) {
        auto loaded = loadSites(*options.sitesPath);
        if (const QString* problem = std::get_if<QString>(&loaded)) {
            return fail(*problem);
        }
        settings.givenSites = std::get<std::vector<Site>>(std::move(loaded));
    }
    if (options.printSites) {
        // One diagram's sites after another, with a blank line between two diagrams.
        settings.onSitesPlaced = [printed = std::make_shared<bool>(false)](const SiteArrays& sites) {
            if (*printed) {
                std::printf("\n");
            }
            *printed = true;
            printSites(sites);
        };
    }
    if (options.outputPath) {
        if (const auto problem = checkOutputTarget(*options.outputPath)) {
            return fail(*problem);
        }
        return renderToFile(argc, argv, options, std::move(settings));
    }
    return runOnScreen(argc, argv, options, std::move(settings));
}
