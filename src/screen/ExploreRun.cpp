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

namespace voroquarn {

int runExplorer(const char* program, const ScreenSettings& settings)
{
    PlatformGuard guard(settings.display.has_value());
    QtArguments arguments(program, settings.display ? std::vector<std::string>{"-platform", "xcb", "-display", *settings.display}
                                                    : std::vector<std::string>{});
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

    ExplorerWindow window(settings.size, look);
    const ExplorerControls controls(window, sites, look);
    window.showSites(sites.sites(), sites.ids());
    window.show();
    setProgramIcon();
    const int status = QGuiApplication::exec();
    if (report) {
        report(sites.sites());
    }
    return status;
}

}  // namespace voroquarn
