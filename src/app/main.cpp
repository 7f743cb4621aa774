#include <QGuiApplication>
#include <QTimer>
#include <cstdio>

#include "app/Options.h"
#include "app/PlatformGuard.h"
#include "app/SiteInput.h"
#include "app/drawDiagram.h"
#include "output/ImageOutput.h"
#include "output/OutputFile.h"
#include "sites/SiteArrays.h"
#include "window/FrmVoroQuarn.h"
#include "window/ImageSurface.h"
#include "window/RandomSource.h"

using namespace voroquarn;

namespace {

constexpr int EXIT_ERROR = 2;

int fail(const QString& message)
{
    std::fprintf(stderr, "voroquarn: %s\n", message.toLocal8Bit().constData());
    return EXIT_ERROR;
}

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
    if (surface.image().isNull()) {
        return fail(notEnoughMemoryFor(options.size));
    }
    SeededRandom random(options.seed);
    drawDiagram(surface, random, settings);
    if (surface.image().isNull()) {
        return fail(notEnoughMemoryFor(options.size));
    }
    if (const auto problem = writePngFile(surface.image(), *options.outputPath)) {
        return fail(*problem);
    }
    return 0;
}

// Opens the window, draws when the event loop starts, and keeps the picture on screen
// until the window is closed.
int showWindow(int argc, char* argv[], const Options& options, const RunSettings& settings)
{
    PlatformGuard guard;
    const QGuiApplication app(argc, argv);
    guard.connected();

    FrmVoroQuarn window(options.size);
    if (window.image().isNull()) {
        return fail(notEnoughMemoryFor(options.size));
    }
    SeededRandom random(options.seed);
    QTimer::singleShot(0, &window, [&] {
        if (drawDiagram(window, random, settings) == RunEnd::WindowClosed) {
            QCoreApplication::quit();
        }
    });
    return QGuiApplication::exec();
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
        settings.onSitesPlaced = printSites;
    }
    if (options.outputPath) {
        if (options.printSites && *options.outputPath == QStringLiteral("-")) {
            return fail(QStringLiteral("--print-sites and --output - would both write to standard output"));
        }
        if (const auto problem = checkOutputTarget(*options.outputPath, options.sitesPath)) {
            return fail(*problem);
        }
        return renderToFile(argc, argv, options, std::move(settings));
    }
    return showWindow(argc, argv, options, settings);
}
