#include "screen/ExploreRun.h"

#include <QGuiApplication>

#include "core/RandomSource.h"
#include "diagram/Diagram.h"
#include "output/Messages.h"
#include "screen/ExploredSites.h"
#include "screen/ExplorerControls.h"
#include "screen/ExplorerWindow.h"
#include "screen/PlatformGuard.h"
#include "screen/ProgramIcon.h"
#include "screen/QtEnvironment.h"
#include "screen/UnsavedSites.h"

namespace voroquarn {

int runExplorer(const char* program, const ScreenSettings& settings)
{
    PlatformGuard guard(settings.display.has_value());
    std::vector<std::string> qtOptions;
    if (settings.display) {
        qtOptions.insert(qtOptions.end(), {"-platform", "xcb", "-display", *settings.display});
    }
    if (!settings.position.empty()) {
        qtOptions.insert(qtOptions.end(), {"-qwindowgeometry", settings.position});
    }
    QtArguments arguments(program, qtOptions);
    const QGuiApplication app(arguments.argc(), arguments.argv());
    guard.connected();
    if (!platformShowsWindows(QGuiApplication::platformName())) {
        return fail(QStringLiteral("cannot open a window: the platform '%1' shows none")
                        .arg(QGuiApplication::platformName()));
    }

    // The sites are told of when the window closes, not as they are placed.
    RunSettings run = settings.session.run;
    const auto report = std::exchange(run.onSitesPlaced, {});
    SeededRandom random(settings.session.seed);
    ExploredSites sites(runSites(settings.size.width(), settings.size.height(), random, run));
    const ExplorerLook look{run.fill, run.markers, run.labels, run.markSizes};

    UnsavedEdits unsaved;
    unsaved.printedAtClose = static_cast<bool>(report);
    unsaved.path = unsavedSitesPath(unsaved.problem);
    if (run.givenSites.empty()) {
        unsaved.offered = keptUnsavedSites(unsaved.path);
    }
    ExplorerWindow window(settings.size, look);
    ExplorerControls controls(window, sites, look, std::move(unsaved));
    window.show();
    setProgramIcon();
    const int status = QGuiApplication::exec();
    if (report) {
        report(sites.sites());
    }
    return status;
}

}  // namespace voroquarn
