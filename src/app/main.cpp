#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/Options.h"
#include "app/ProgressLine.h"
#include "app/Settings.h"
#include "app/SiteInput.h"
#include "app/StandardStreams.h"
#include "core/Shown.h"
#include "core/RandomSource.h"
#include "diagram/SiteArrays.h"
#include "diagram/drawDiagram.h"
#include "output/Messages.h"
#include "output/OutputTarget.h"
#include "output/RunOutput.h"
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

// Draws the picture into the --output file in its format; needs no display. Nothing is
// written when the sites could not be printed.
int renderToFile(const char* program, const Options& options, RunSettings settings, const StandardOutput& out,
                 ProgressLine& line)
{
    useFixedRenderingEnvironment();
    PlatformGuard guard;
    QtArguments arguments(program);
    const QGuiApplication app(arguments.argc(), arguments.argv());
    guard.connected();

    SeededRandom random(options.seed);
    settings.progress = line.progress();
    const auto problem = writeRunOutput(options.outputFormat, *options.outputPath, options.size, random,
                                        std::move(settings), [&out] { return !out.failed(); });
    line.end();  // before the error, if there is one
    if (problem) {
        return fail(*problem);
    }
    return out.failed() ? EXIT_ERROR : 0;  // said when the program ends
}

// The whole program but the last check of standard output.
int run(int argc, char* argv[], StandardOutput& out)
{
    const CommandLine command = parseCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!command.options) {
        if (command.isError) {
            say(command.text);
            std::fprintf(stderr, "%s\n", TRY_HELP);
            return EXIT_ERROR;
        }
        out.write(command.text);
        return 0;
    }
    const Options& options = *command.options;

    RunSettings settings = runSettingsOf(options);
    // Gone before anything else is said on standard error, and before a window opens.
    ProgressLine line;
    const auto failing = [&line](const auto& message) {
        line.end();
        return fail(message);
    };
    if (options.sitesPath) {
        try {
            auto loaded = loadSites(*options.sitesPath, line.progress());
            if (const std::string* problem = std::get_if<std::string>(&loaded)) {
                return failing(*problem);
            }
            settings.givenSites = std::get<std::vector<Site>>(std::move(loaded));
        } catch (const std::bad_alloc&) {
            return failing((*options.sitesPath == "-" ? std::string("standard input") : shown(*options.sitesPath)) +
                           ": not enough memory for its sites");
        }
    }
    if (options.printSites) {
        // One diagram's sites after another, with a blank line between two diagrams.
        settings.onSitesPlaced = [&out, &line, printed = std::make_shared<bool>(false)](const SiteArrays& sites) {
            line.meanwhile([&] {
                if (*printed) {
                    out.write("\n");
                }
                *printed = true;
                printSites(out, sites);
            });
        };
    }
    useUsableRuntimeFolder();
    if (options.outputPath) {
        if (const auto problem = checkOutputTarget(*options.outputPath, options.sitesPath)) {
            return failing(*problem);
        }
        return renderToFile(argv[0], options, std::move(settings), out, line);
    }
    line.end();
    return runOnScreen(argv[0], screenSettingsOf(options, std::move(settings)));
}

}  // namespace

int main(int argc, char* argv[])
{
    holdStandardStreams();
    // A file larger than the limit of `ulimit -f` fails to be written, with a message,
    // instead of ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    StandardOutput out;
    int status = EXIT_ERROR;
    try {
        status = run(argc, argv, out);
    } catch (const std::exception& error) {
        status = fail(stoppedBy(error));
    }
    // Like any tool whose output may be lost: a write that failed is an error.
    return out.finish() ? status : EXIT_ERROR;
}
