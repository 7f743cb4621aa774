#include "screen/WindowRun.h"

#include <QGuiApplication>
#include <QScreen>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include "core/Shown.h"
#include "output/ImageOutput.h"
#include "output/Messages.h"
#include "screen/DiagramWindow.h"
#include "screen/ExploreRun.h"
#include "screen/ForeignParent.h"
#include "screen/PlatformGuard.h"
#include "screen/ProgramIcon.h"
#include "screen/QtEnvironment.h"
#include "screen/RateDisplay.h"
#include "screen/ScreenPlan.h"
#include "screen/Session.h"
#include "screen/TerminationSignals.h"
#include "screen/WindowId.h"
#include "screen/WindowKeys.h"

namespace voroquarn {

namespace {

// The window that --root draws into: the one xscreensaver made for it, else the root.
std::variant<std::uint32_t, QString> rootTarget()
{
    const QByteArray given = qgetenv("XSCREENSAVER_WINDOW");
    if (!given.isEmpty()) {
        const std::optional<std::uint32_t> id = parseWindowId(given.trimmed().toStdString());
        if (!id) {
            return QStringLiteral("XSCREENSAVER_WINDOW holds no window id: '%1'")
                .arg(QString::fromStdString(shown(given.toStdString())));
        }
        return *id;
    }
    if (const auto root = ForeignParent::rootWindow()) {
        return *root;
    }
    return QStringLiteral("--root needs the X window system");
}

// The run itself; `endingSignal` tells of a signal that ended it.
int drawOnScreen(const char* program, ScreenSettings settings, std::optional<TerminationSignals>& signals,
                 int& endingSignal)
{
    const ScreenPlan plan = planOf(settings);
    PlatformGuard guard(settings.display.has_value());
    QtArguments arguments(program, plan.qtOptions);
    const QGuiApplication app(arguments.argc(), arguments.argv());
    guard.connected();
    if (!platformShowsWindows(QGuiApplication::platformName())) {
        return fail(QStringLiteral("cannot open a window: the platform '%1' shows none; "
                                   "use --output FILE to draw into a file")
                        .arg(QGuiApplication::platformName()));
    }

    DiagramWindow window(settings.size, plan.fit, settings.session.run.labels);
    if (window.picture().isNull()) {
        return fail(notEnoughMemoryFor(settings.size));
    }

    std::unique_ptr<ForeignParent> parent;
    if (plan.foreign) {
        auto id = settings.target == Target::Root ? rootTarget()
                                                  : std::variant<std::uint32_t, QString>(settings.windowId);
        if (const QString* problem = std::get_if<QString>(&id)) {
            return fail(*problem);
        }
        auto attached = ForeignParent::attach(std::get<std::uint32_t>(id));
        if (const QString* problem = std::get_if<QString>(&attached)) {
            return fail(*problem);
        }
        parent = std::get<std::unique_ptr<ForeignParent>>(std::move(attached));
        parent->adopt(window);
    } else if (plan.fullScreen) {
        window.setGeometry(window.screen()->geometry());
        window.setWindowStates(Qt::WindowFullScreen);
        window.setCursor(Qt::BlankCursor);
    }

    if (!plan.foreign) {
        // Making the icon takes a few milliseconds, which the first markers need not wait
        // for; the window manager shows it as soon as it comes.
        window.whenFirstDrawn(setProgramIcon);
    }

    settings.session.followResizes = plan.followResizes;
    const bool showRate = settings.session.fps;
    TimerClock clock;
    Session diagrams(window, clock, std::move(settings.session));
    diagrams.onEnd = [](int status) { QCoreApplication::exit(status); };
    // The session hears of the window's size for as long as it lives, not as the window.
    const QObject sessionLives;
    QObject::connect(&window, &QWindow::widthChanged, &sessionLives, [&] { diagrams.resized(); });
    QObject::connect(&window, &QWindow::heightChanged, &sessionLives, [&] { diagrams.resized(); });
    std::optional<RateDisplay> rate;
    if (showRate) {
        rate.emplace(window, diagrams);
    }
    std::optional<WindowKeys> keys;
    if (plan.keys) {
        keys.emplace(window, diagrams, *plan.keys);
    }

    const auto end = [&](int status) {
        diagrams.stop();
        QCoreApplication::exit(status);
    };
    if (parent) {
        // The front end took its window away: the program's work is done.
        parent->onLost = [&] { end(0); };
    }
    if (signals) {
        signals->watch([&](int signal) {
            endingSignal = signal;
            end(0);
        });
    }

    diagrams.start();
    return QGuiApplication::exec();
}

}  // namespace

int runOnScreen(const char* program, ScreenSettings settings)
{
    if (settings.explore) {
        return runExplorer(program, settings);
    }
    // Diagram after diagram, the program runs until a signal ends it; the signals are
    // taken before any thread starts.
    std::optional<TerminationSignals> signals;
    if (settings.session.cycle) {
        signals.emplace();
    }
    int endingSignal = 0;
    const int status = drawOnScreen(program, std::move(settings), signals, endingSignal);
    // SIGTERM is how a front end says that it is done with the program; the others end
    // it, once it has wound up, as they would have at once.
    if (endingSignal != 0 && endingSignal != SIGTERM) {
        std::fflush(stdout);
        TerminationSignals::endBy(endingSignal);
    }
    return status;
}

}  // namespace voroquarn
