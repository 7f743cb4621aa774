#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/Options.h"
#include "app/SiteInput.h"
#include "app/StandardStreams.h"
#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/Diagram.h"
#include "diagram/SiteArrays.h"
#include "diagram/drawDiagram.h"
#include "output/ImageOutput.h"
#include "output/ImageSurface.h"
#include "output/Messages.h"
#include "output/OutputFile.h"
#include "output/VectorOutput.h"
#include "screen/PlatformGuard.h"
#include "screen/QtEnvironment.h"
#include "screen/WindowRun.h"

using namespace voroquarn;

namespace {

void printSites(StandardOutput& out, const SiteArrays& sites)
{
    std::string text;
    for (int k = 0; k < sites.N; ++k) {
        text += formatSite({sites.x[k], sites.y[k], sites.w[k]}) + '\n';
    }
    out.write(text);
}

// Draws into an image of the drawing area's size and writes it as PNG, or writes the
// diagram as SVG or PDF; needs no display.
// Nothing is written when the sites could not be printed.
int renderToFile(int argc, char* argv[], const Options& options, RunSettings settings,
                 const StandardOutput& out)
{
    useFixedRenderingEnvironment();
    PlatformGuard guard;
    const QGuiApplication app(argc, argv);
    guard.connected();

    SeededRandom random(options.seed);
    if (options.outputFormat != OutputFormat::Png) {
        // The run's own sites, with the exact pieces in place of the traced pixels.
        const Diagram diagram = recordDiagram(options.size.width(), options.size.height(), random, settings);
        if (out.failed()) {
            return EXIT_ERROR;  // said when the program ends
        }
        if (const auto problem = writeVectorFile(diagram, options.outputFormat, *options.outputPath)) {
            return fail(*problem);
        }
        return 0;
    }
    ImageSurface surface(options.size);
    if (surface.image().isNull()) {
        return fail(notEnoughMemoryFor(options.size));
    }
    driveToEnd(drawDiagram(surface, random, std::move(settings)), surface);
    if (out.failed()) {
        return EXIT_ERROR;  // said when the program ends
    }
    if (surface.image().isNull()) {
        return fail(notEnoughMemoryFor(options.size));
    }
    if (const auto problem = writePngFile(surface.image(), *options.outputPath)) {
        return fail(*problem);
    }
    return 0;
}

ScreenSettings screenSettings(const Options& options, RunSettings run)
{
    ScreenSettings screen;
    screen.target = options.target;
    screen.windowId = options.windowId;
    screen.size = options.size;
    SessionSettings& session = screen.session;
    session.seed = options.seed;
    session.run = std::move(run);
    session.cycle = options.cycle;
    if (options.lingerSeconds) {
        session.linger = std::chrono::seconds(*options.lingerSeconds);
    }
    session.delay = std::chrono::microseconds(
        options.delayMicroseconds.value_or(options.cycle ? DEFAULT_SAVER_DELAY_US : 0));
    return screen;
}

// The whole program but the last check of standard output.
int run(int argc, char* argv[], StandardOutput& out)
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
        out.write(command.text.toLocal8Bit().toStdString());
        return 0;
    }
    const Options& options = *command.options;

    RunSettings settings;
    settings.fill = options.fill;
    if (options.sitesPath) {
        auto loaded = loadSites(*options.sitesPath);
        if (const QString* problem = std::get_if<QString>(&loaded)) {
            return fail(*problem);
        }
        settings.givenSites = std::get<std::vector<Site>>(std::move(loaded));
    }
    if (options.printSites) {
        // One diagram's sites after another, with a blank line between two diagrams.
        settings.onSitesPlaced = [&out, printed = std::make_shared<bool>(false)](const SiteArrays& sites) {
            if (*printed) {
                out.write("\n");
            }
            *printed = true;
            printSites(out, sites);
        };
    }
    useUsableRuntimeFolder();
    if (options.outputPath) {
        if (options.printSites && *options.outputPath == QStringLiteral("-")) {
            return fail(QStringLiteral("--print-sites and --output - would both write to standard output"));
        }
        if (const auto problem = checkOutputTarget(*options.outputPath, options.sitesPath)) {
            return fail(*problem);
        }
        return renderToFile(argc, argv, options, std::move(settings), out);
    }
    return runOnScreen(argc, argv, screenSettings(options, std::move(settings)));
}

}  // namespace

int main(int argc, char* argv[])
{
    holdStandardStreams();
    StandardOutput out;
    int status = EXIT_ERROR;
    try {
        status = run(argc, argv, out);
    } catch (const std::exception& error) {
        status = fail(QString::fromStdString(stoppedBy(error)));
    }
    // Like any tool whose output may be lost: a write that failed is an error.
    return out.finish() ? status : EXIT_ERROR;
}
