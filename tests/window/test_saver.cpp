// The screen saver: run by the real xscreensaver daemon, in another program's window,
// full screen, and in a window of its own with its keys.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "OwnXServer.h"
#include "ProcessControl.h"
#include "TestDiagram.h"
#include "XConnection.h"
#include "XSession.h"

namespace voroquarn::testing {
namespace {

// One diagram's sites as --print-sites writes them: x, y and weight.
struct PrintedSite {
    double x;
    double y;
    double w;
};
using Diagram = std::vector<PrintedSite>;

std::vector<double> weights(const Diagram& diagram)
{
    std::vector<double> result;
    for (const PrintedSite& site : diagram) {
        result.push_back(site.w);
    }
    return result;
}

// Whether every site lies in [0, width) x [0, height).
bool liesWithin(const Diagram& diagram, QSize size)
{
    return std::all_of(diagram.begin(), diagram.end(), [&](const PrintedSite& site) {
        return site.x >= 0 && site.x < size.width() && site.y >= 0 && site.y < size.height();
    });
}

// The diagrams that a program has printed with --print-sites: one block of lines each,
// with a blank line between two.
class PrintedDiagrams {
public:
    explicit PrintedDiagrams(QProcess& process) : process_(process) {}

    // Waits until the program has printed `count` diagrams; returns all there are then.
    std::vector<Diagram> waitFor(std::size_t count, int timeoutMs = 20000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            text_ += QString::fromUtf8(process_.readAllStandardOutput());
            std::vector<Diagram> diagrams = parse();
            if (diagrams.size() >= count || deadline.hasExpired()) {
                return diagrams;
            }
            process_.waitForReadyRead(100);
        }
    }

private:
    std::vector<Diagram> parse() const
    {
        std::vector<Diagram> diagrams(1);
        for (const QString& line : text_.split('\n')) {
            const QStringList numbers = line.split(' ', Qt::SkipEmptyParts);
            if (numbers.size() == 3) {
                diagrams.back().push_back({numbers[0].toDouble(), numbers[1].toDouble(), numbers[2].toDouble()});
            } else if (line.isEmpty() && !diagrams.back().empty()) {
                diagrams.emplace_back();
            }
        }
        if (diagrams.back().empty()) {
            diagrams.pop_back();
        }
        return diagrams;
    }

    QProcess& process_;
    QString text_;
};

// The white pixels of an area, and those neither white nor black.
struct Colours {
    int white = 0;
    int other = 0;
};

Colours coloursIn(const QImage& image, const QRect& area)
{
    Colours colours;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QRgb pixel = image.pixel(x, y) & 0xFFFFFFU;
            colours.white += pixel == 0xFFFFFFU ? 1 : 0;
            colours.other += pixel != 0xFFFFFFU && pixel != 0 ? 1 : 0;
        }
    }
    return colours;
}

QImage screenshot()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}


// The id of a process that runs the program at `path`, started by someone else; -1 when
// there is none.
qint64 processRunning(const QString& path)
{
    const QString program = QFileInfo(path).canonicalFilePath();
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (isNumber && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath() == program &&
            cpuTimeMs(pid) >= 0) {
            return pid;
        }
    }
    return -1;
}

// The real xscreensaver daemon runs the program as a user lists it in ~/.xscreensaver.
// The daemon refuses to run its hacks as root, so under root it runs as nobody, on an X
// server of the test's own that lets every user connect, with a copy of the program in
// a folder that nobody may read, wherever the build lies.
TEST(UnderXscreensaver, ADiagramAppearsOnActivationAndTheProgramEndsOnDeactivation)
{
    // The program outlives xscreensaver's process that starts it: it comes to the test,
    // which learns how it ended. Whatever happens, the daemon, run as nobody, and the
    // program end with the test.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const EndsDescendants endsWhatItStarts;
    const OwnXServer server({"-ac"});
    ASSERT_FALSE(server.display().isEmpty()) << "Xvfb did not start";
    const QString display = server.display();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString program = home.filePath("voroquarn");
    ASSERT_TRUE(QFile::copy(VOROQUARN_BINARY, program));
    QFile settings(home.filePath(".xscreensaver"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(QStringLiteral("mode: one\nselected: 0\nsplash: False\nfade: False\nunfade: False\n"
                                  "lock: False\ntimeout: 1:00:00\nprograms: %1 -root --seed 5 -fps -mono --duration 2 \\n\\\n\n")
                       .arg(program)
                       .toLocal8Bit());
    settings.close();
    const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther |
                          QFile::ReadGroup | QFile::WriteGroup;
    ASSERT_TRUE(QFile::setPermissions(home.path(), everyone | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    ASSERT_TRUE(QFile::setPermissions(settings.fileName(), everyone));
    ASSERT_TRUE(QFile::setPermissions(program, everyone | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));

    // Now and then, under the parallel tests, a daemon never answers, with nothing said:
    // as in the saver recipe's check, it gets 20 s, and three tries.
    QProcess daemon;
    daemon.setProcessChannelMode(QProcess::MergedChannels);
    QStringList command{"env", "HOME=" + home.path(), "DISPLAY=" + display, "xscreensaver", "-no-splash"};
    if (geteuid() == 0) {
        command = QStringList{"runuser", "-u", "nobody", "--"} + command;
    }
    const auto tellDaemon = [&](const char* what) {
        return XSession::runOn(display, "xscreensaver-command", {what}).has_value();
    };
    const auto daemonSaid = [&] {
        daemon.waitForReadyRead(100);
        return daemon.readAll().toStdString();
    };
    bool answers = false;
    std::string silence;
    for (int attempt = 0; attempt < 3 && !answers; ++attempt) {
        if (daemon.state() != QProcess::NotRunning) {
            daemon.terminate();  // runuser passes it on; killed, it would leave the daemon
            if (!daemon.waitForFinished(5000)) {
                daemon.kill();
                daemon.waitForFinished();
            }
        }
        daemon.start(command.first(), command.mid(1));
        ASSERT_TRUE(daemon.waitForStarted());
        answers = waitUntil([&] { return tellDaemon("-version"); }, 20000);
        silence += daemonSaid();
    }
    ASSERT_TRUE(answers) << "the daemon does not answer; it said: " << silence;

    const XConnection x(display);
    ASSERT_TRUE(x.isOpen());
    QElapsedTimer sinceActivation;
    sinceActivation.start();
    ASSERT_TRUE(tellDaemon("-activate"));
    qint64 hack = -1;
    ASSERT_TRUE(waitUntil([&] { return (hack = processRunning(program)) > 0; }, PATIENCE_MS))
        << "the daemon did not start the program; it said: " << daemonSaid();

    // Markers first, then boundaries: white on black (-mono), and more white as the tracing goes.
    // The frame rate shows at the bottom left, as the hacks show theirs, antialiased; it
    // changes on its own, and may come before the markers on a busy machine.
    const QRect rateBox(0, 1024 - 100, 300, 100);
    const auto picture = [&](const QImage& screen) {
        const Colours all = coloursIn(screen, screen.rect());
        const Colours rate = coloursIn(screen, rateBox);
        return Colours{all.white - rate.white, all.other - rate.other};
    };
    Colours shown;
    ASSERT_TRUE(waitUntil([&] { return (shown = picture(x.grab(x.root()))).white >= 4 * 12; }, PATIENCE_MS))
        << "no diagram on screen";
    const qint64 firstMarkers = sinceActivation.elapsed();
    const int markers = shown.white;
    ASSERT_TRUE(waitUntil([&] { return (shown = picture(x.grab(x.root()))).white > markers + 200; }, PATIENCE_MS))
        << "no boundary is traced";
    EXPECT_EQ(shown.other, 0);

    // The diagram takes its duration, 2 s, to draw.
    QElapsedTimer sinceChange;
    sinceChange.start();
    qint64 lastChange = sinceActivation.elapsed();
    for (int white = -1; sinceChange.elapsed() < 1200 && sinceActivation.elapsed() < PATIENCE_MS; QThread::msleep(50)) {
        const int now = picture(x.grab(x.root())).white;
        if (now != white) {
            white = now;
            lastChange = sinceActivation.elapsed();
            sinceChange.restart();
        }
    }
    const double drawn = static_cast<double>(lastChange - firstMarkers) / 1000;
    EXPECT_GT(drawn, 1.5);
    EXPECT_LT(drawn, 3.0);
    const QImage standing = x.grab(x.root());
    EXPECT_GT(coloursIn(standing, rateBox).white, 100) << "no frame rate shown";


    QElapsedTimer sinceDeactivation;
    sinceDeactivation.start();
    ASSERT_TRUE(tellDaemon("-deactivate"));
    // Deactivating the saver ends the program at once, as a hack should: within a second
    // on a quiet machine, a few on a busy one; ended by SIGKILL, its status would say so.
    EXPECT_TRUE(waitUntil([&] { return cpuTimeMs(hack) < 0; }, 5000)) << "the program goes on";
    std::printf("under xscreensaver: markers %lld ms after activation, drawn in %.2f s; the program ended %lld ms "
                "after deactivation\n",
                static_cast<long long>(firstMarkers), drawn, static_cast<long long>(sinceDeactivation.elapsed()));
    int status = -1;
    ASSERT_TRUE(waitUntil([&] { return waitpid(static_cast<pid_t>(hack), &status, WNOHANG) == hack; }, PATIENCE_MS))
        << "the program did not come to the test";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    // The preview of xscreensaver-settings: the program in its pane, by the window id it
    // adds to the command line, until the dialog goes.
    QProcess dialog;
    QStringList settingsCommand{"env", "HOME=" + home.path(), "DISPLAY=" + display, "xscreensaver-settings"};
    if (geteuid() == 0) {
        settingsCommand = QStringList{"runuser", "-u", "nobody", "--"} + settingsCommand;
    }
    dialog.start(settingsCommand.takeFirst(), settingsCommand);
    qint64 preview = -1;
    QStringList previewArguments;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
                const QByteArray arguments = cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll() : QByteArray();
                if (arguments.startsWith(program.toLocal8Bit()) && arguments.contains("--window-id")) {
                    preview = entry.toLongLong();
                    previewArguments = QString::fromLocal8Bit(arguments).split(QChar(0), Qt::SkipEmptyParts);
                }
            }
            return preview > 0;
        },
        PATIENCE_MS))
        << "xscreensaver-settings started no preview";
    const auto pane = previewArguments.indexOf("--window-id");
    ASSERT_GT(pane, 0);
    bool ok = false;
    const quint32 paneWindow = previewArguments.value(pane + 1).toUInt(&ok, 16);
    ASSERT_TRUE(ok) << previewArguments.join(' ').toStdString();
    EXPECT_TRUE(previewArguments.contains("-root")) << "the preview's command line has changed";
    EXPECT_TRUE(waitUntil([&] { return coloursIn(x.grab(paneWindow), QRect(0, 0, 4096, 4096)).white > 4 * 12; }, PATIENCE_MS))
        << "no diagram in the preview";
    dialog.terminate();
    dialog.waitForFinished(PATIENCE_MS);
    int previewStatus = -1;
    EXPECT_TRUE(waitUntil([&] { return waitpid(static_cast<pid_t>(preview), &previewStatus, WNOHANG) == preview; }, PATIENCE_MS))
        << "the preview outlived its dialog";
    EXPECT_TRUE(WIFEXITED(previewStatus) && WEXITSTATUS(previewStatus) == 0) << "status " << previewStatus;

    tellDaemon("-exit");
    daemon.waitForFinished(PATIENCE_MS);
    const QString said = QString::fromLocal8Bit(daemon.readAll());
    EXPECT_FALSE(said.contains("voroquarn:")) << said.toStdString();
}

class SaverSession : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(XSession::ensureWindowManager()); }
};

// Into another program's window: the diagrams stay inside it, follow one another, and
// follow its size; when the window goes, the program ends quietly. All this on a screen
// of twice the pixel density, where the window's units are not the screen's pixels.
TEST_F(SaverSession, DrawsInsideAnotherProgramsWindowOnlyAndFollowsIt)
{
    QProcess logo;
    logo.start("xlogo", {"-title", "voroquarn target", "-geometry", "400x300+300+200"});
    const auto found = XSession::waitForWindow("voroquarn target");
    ASSERT_TRUE(found) << "xlogo did not show its window";
    const QString target = *found;
    QThread::msleep(300);  // the window manager's frame settles
    const QRect area = XSession::geometry(target);
    ASSERT_EQ(area.size(), QSize(400, 300));
    const QImage before = screenshot();

    // As xscreensaver-settings runs a hack for its preview: -root and the window id,
    // which wins; in black and white, so that a pixel of the window left uncovered shows.
    ProgramRun program({"-root", "--window-id", target, "--seed", "21", "--delay", "0", "--linger", "1",
                        "--print-sites", "-mono"},
                       RunPlace{{}, true, {"QT_SCALE_FACTOR=2"}});
    PrintedDiagrams printed(program.process());
    std::vector<Diagram> diagrams = printed.waitFor(2);
    ASSERT_GE(diagrams.size(), 2U) << program.errors().toStdString();
    EXPECT_NE(weights(diagrams[0]), weights(diagrams[1])) << "the second diagram is the first again";
    for (const Diagram& diagram : diagrams) {
        EXPECT_TRUE(liesWithin(diagram, area.size()));
    }
    // The sites spread over the window's pixels, not over its units, half as many.
    EXPECT_FALSE(liesWithin(diagrams[0], area.size() / 2) && liesWithin(diagrams[1], area.size() / 2));

    // Inside, a diagram, white on black; outside the window and its frame, nothing new.
    QImage during;
    Colours inside;
    EXPECT_TRUE(waitUntil(
        [&] {
            during = screenshot();
            inside = coloursIn(during, area);
            return inside.white > 4 * 12;
        },
        5000));
    EXPECT_EQ(inside.other, 0) << "the window is not wholly covered";
    const QRect framed = area.adjusted(-40, -40, 40, 40);
    int changedOutside = 0;
    for (int y = 0; y < during.height(); ++y) {
        for (int x = 0; x < during.width(); ++x) {
            changedOutside += !framed.contains(x, y) && during.pixel(x, y) != before.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(changedOutside, 0);

    // A smaller window: the diagram on screen is drawn anew, the same seed at the new size.
    const std::size_t beforeResize = printed.waitFor(0, 0).size();
    ASSERT_TRUE(XSession::run("xdotool", {"windowsize", target, "300", "200"}));
    bool redrawn = false;
    ASSERT_TRUE(waitUntil(
        [&] {
            diagrams = printed.waitFor(diagrams.size() + 1, 200);
            for (std::size_t k = beforeResize; k < diagrams.size() && !redrawn; ++k) {
                redrawn = weights(diagrams[k]) == weights(diagrams[k - 1]) &&
                          liesWithin(diagrams[k], QSize(300, 200));
            }
            return redrawn;
        },
        10000))
        << "no diagram drawn anew at the new size";

    logo.terminate();
    ASSERT_TRUE(logo.waitForFinished(5000));
    EXPECT_EQ(program.waitForExit(5000), 0) << "losing the window did not end the program well";
    EXPECT_EQ(program.errors().toStdString(), "");
}

// A window to draw into that is not there is an error of one line, before anything is
// shown.
TEST_F(SaverSession, RefusesAWindowThatIsNotThere)
{
    struct Case {
        QStringList arguments;
        QStringList environment;
        const char* message;
    };
    const Case cases[] = {
        {{"--window-id", "0x1ffffff0"}, {}, "there is no window 0x1ffffff0"},
        {{"-root"}, {"XSCREENSAVER_WINDOW=screen"}, "XSCREENSAVER_WINDOW holds no window id: 'screen'"},
        // What could steer the terminal reaches it only as escapes.
        {{"-root"}, {"XSCREENSAVER_WINDOW=\x1b]2;x\x07"}, "XSCREENSAVER_WINDOW holds no window id: '\\x1b]2;x\\x07'"},
    };
    for (const Case& c : cases) {
        ProgramRun program(c.arguments, RunPlace{{}, true, c.environment});
        EXPECT_EQ(program.waitForExit(5000), 2);
        EXPECT_EQ(program.errors().toStdString(), "voroquarn: " + std::string(c.message) + "\n");
    }
}

// A window of the program's own: at rest while a diagram stands, and its keys save the
// picture (and say so over it), start a new diagram, go full screen with the diagram drawn anew, and close.
TEST_F(SaverSession, OwnWindowRestsWhileADiagramStandsAndTakesItsKeys)
{
    const QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ProgramRun program({"--cycle", "--linger", "0", "--delay", "0", "--seed", "77", "--print-sites", "--size",
                        "400x300"},
                       RunPlace{{}, true, {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.filePath("config")}});
    PrintedDiagrams printed(program.process());
    const auto window = XSession::waitForWindowOf(program.pid());
    ASSERT_TRUE(window) << "no window appeared";
    const QImage standing = XSession::waitForFinishedPicture(*window);
    ASSERT_FALSE(standing.isNull()) << "the picture never stood still";

    const qint64 cpuBefore = cpuTimeMs(program.pid());
    QThread::msleep(2000);
    const qint64 cpuUsed = cpuTimeMs(program.pid()) - cpuBefore;
    std::printf("a standing diagram: %lld ms of processor time over 2 s\n", static_cast<long long>(cpuUsed));
    EXPECT_EQ(cpuUsed, 0);

    ASSERT_TRUE(XSession::run("xdotool", {"windowactivate", "--sync", *window}));
    ASSERT_TRUE(XSession::run("xdotool", {"key", "ctrl+s"}));
    const QString saved = QDir(home.path()).filePath("Pictures/voroquarn-77.png");
    QString said;
    EXPECT_TRUE(waitUntil(
        [&] {
            program.process().waitForReadyRead(50);  // reads standard error as well
            return (said += program.errors()).contains(saved);
        },
        5000))
        << "standard error: " << said.toStdString();
    EXPECT_EQ(differences(QImage(saved).convertToFormat(QImage::Format_RGB32), standing), 0);
    EXPECT_TRUE(waitUntil([&] { return differences(XSession::grab(*window), standing) > 100; }, 2000))
        << "the window does not say that it saved";
    EXPECT_EQ(QDir(home.filePath("Pictures")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"voroquarn-77.png"});

    ASSERT_TRUE(XSession::run("xdotool", {"key", "space"}));
    std::vector<Diagram> diagrams = printed.waitFor(2);
    ASSERT_EQ(diagrams.size(), 2U) << "space started no new diagram";
    EXPECT_NE(weights(diagrams[0]), weights(diagrams[1]));

    ASSERT_TRUE(XSession::run("xdotool", {"key", "F11"}));
    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_TRUE(waitUntil([&] { return XSession::geometry(*window).size() == screen; }, 5000))
        << "not full screen";
    diagrams = printed.waitFor(3);
    ASSERT_GE(diagrams.size(), 3U) << "nothing drawn at the new size";
    EXPECT_EQ(weights(diagrams.back()), weights(diagrams[1]));
    EXPECT_TRUE(liesWithin(diagrams.back(), screen));
    EXPECT_FALSE(liesWithin(diagrams.back(), QSize(400, 300))) << "the diagram did not grow with the window";

    ASSERT_TRUE(XSession::run("xdotool", {"key", "Escape"}));
    EXPECT_EQ(program.waitForExit(5000), 0);
}

// Without a home of the user's own there is no picture folder: Ctrl+S says so and saves
// nothing, where it once made /Pictures at the root of the file system.
TEST_F(SaverSession, CtrlSWithoutAHomeSavesNothing)
{
    // A /Pictures made by a program that does make one goes again, whatever happens.
    const bool hadPictures = QFileInfo::exists("/Pictures");
    const auto cleanUp = qScopeGuard([&] {
        if (!hadPictures) {
            QDir("/Pictures").removeRecursively();
        }
    });
    ProgramRun program({"--seed", "5"}, RunPlace{{}, true, {"HOME="}});
    const auto window = XSession::waitForWindowOf(program.pid());
    ASSERT_TRUE(window) << "no window appeared";
    ASSERT_TRUE(XSession::run("xdotool", {"windowactivate", "--sync", *window}));
    ASSERT_TRUE(XSession::run("xdotool", {"key", "ctrl+s"}));
    QString said;
    EXPECT_TRUE(waitUntil(
        [&] {
            program.process().waitForReadyRead(50);
            return (said += program.errors()).contains('\n');
        },
        5000));
    EXPECT_EQ(said.toStdString(),
              "voroquarn: cannot save the picture: HOME is not set, so there is no picture folder\n");
    EXPECT_EQ(QFileInfo::exists("/Pictures"), hadPictures);
    ASSERT_TRUE(XSession::run("xdotool", {"key", "q"}));
    EXPECT_EQ(program.waitForExit(5000), 0);
}

// The design window has keys now too; each of these closes it as the close button does.
TEST_F(SaverSession, TheDesignWindowClosesOnItsKeys)
{
    for (const char* key : {"q", "ctrl+q", "ctrl+w"}) {
        ProgramRun program;
        const auto window = XSession::waitForWindowOf(program.pid());
        ASSERT_TRUE(window) << "no window appeared";
        ASSERT_TRUE(XSession::run("xdotool", {"windowactivate", "--sync", *window}));
        ASSERT_TRUE(XSession::run("xdotool", {"key", key}));
        EXPECT_EQ(program.waitForExit(5000), 0) << key;
    }
}

// Full screen: a diagram at once, and the end at SIGTERM from a front end, at a large
// motion of the pointer or at a click, but not at the release of the key that started it.
TEST_F(SaverSession, FullScreenItDrawsAtOnceAndEndsAtSigtermAMotionOrAClick)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    ProgramRun saver({"--saver", "-mono"}, RunPlace{{}, true, {}});
    // The whole screen is black with a marker or more.
    ASSERT_TRUE(waitUntil(
        [] {
            const QImage screen = screenshot();
            const Colours colours = coloursIn(screen, screen.rect());
            return colours.white >= 12 && colours.other == 0;
        },
        10000))
        << "no marker on screen";
    const qint64 firstMarker = sinceStart.elapsed();
    const auto window = XSession::waitForWindowOf(saver.pid());
    ASSERT_TRUE(window);
    EXPECT_EQ(XSession::geometry(*window), QRect(QPoint(0, 0), QGuiApplication::primaryScreen()->size()));

    const qint64 cpuBefore = cpuTimeMs(saver.pid());
    QThread::msleep(1000);
    const qint64 cpuDrawing = cpuTimeMs(saver.pid()) - cpuBefore;

    QElapsedTimer sinceSignal;
    sinceSignal.start();
    ASSERT_EQ(::kill(static_cast<pid_t>(saver.pid()), SIGTERM), 0);
    EXPECT_EQ(saver.waitForExit(5000), 0);
    std::printf("full screen: first marker %lld ms after the start; %lld ms of processor time in 1 s of "
                "drawing; ended %lld ms after SIGTERM\n",
                static_cast<long long>(firstMarker), static_cast<long long>(cpuDrawing),
                static_cast<long long>(sinceSignal.elapsed()));
    EXPECT_EQ(saver.errors().toStdString(), "");

    // Started by Return, held on past the start and let go: the release and the key's
    // repeats end nothing, nor does a tremble of the pointer; a large motion does.
    ASSERT_TRUE(XSession::run("xdotool", {"mousemove", "200", "200"}));
    ASSERT_TRUE(XSession::run("xdotool", {"keydown", "Return"}));
    ProgramRun held({"--saver"});
    ASSERT_TRUE(XSession::waitForWindowOf(held.pid()));
    QThread::msleep(1200);
    ASSERT_TRUE(XSession::run("xdotool", {"keyup", "Return"}));
    QThread::msleep(300);
    ASSERT_TRUE(XSession::run("xdotool", {"mousemove", "204", "203"}));
    QThread::msleep(300);
    EXPECT_TRUE(held.process().state() == QProcess::Running) << "ended by the key that started it";
    ASSERT_TRUE(XSession::run("xdotool", {"mousemove", "260", "200"}));
    EXPECT_EQ(held.waitForExit(5000), 0);

    ProgramRun clicked({"--saver"});
    ASSERT_TRUE(XSession::waitForWindowOf(clicked.pid()));
    QThread::msleep(600);
    ASSERT_TRUE(XSession::run("xdotool", {"click", "1"}));
    EXPECT_EQ(clicked.waitForExit(5000), 0);
}

// The saver's look on a large screen: the labels' digits stand about 1.2 % of its height
// (12 pixels on 1024 rows, where the design's are 9), antialiased; a diagram that has
// stood its time is wiped away from the left, so that a frame shows the right of the old
// picture beside black: neither the old diagram nor the new one, of the same sites.
TEST_F(SaverSession, ItsMarksGrowWithTheScreenAndEachDiagramIsWipedAwayForTheNext)
{
    QTemporaryDir dir;
    QFile sites(dir.filePath("sites.txt"));
    ASSERT_TRUE(sites.open(QIODevice::WriteOnly));
    sites.write("300 400 300\n900 600 800\n");
    sites.close();
    ProgramRun saver({"--saver", "--no-fill", "--sites", sites.fileName(), "--duration", "1", "--linger", "1"});
    const QRect label(909, 570, 100, 60);  // right of the heavier site's marker
    const QRect left(0, 0, 420, 1024);
    QImage standing;
    bool wiped = false;
    const QDeadlineTimer deadline(15000);
    while (!wiped && !deadline.hasExpired()) {
        const QImage screen = screenshot();
        const Colours inLabel = coloursIn(screen, label);
        const Colours inLeft = coloursIn(screen, left);
        if (standing.isNull() && inLabel.white > 0) {
            // The marks come first, the boundary is drawn in a second, and the diagram
            // stands for another.
            QThread::msleep(1300);
            standing = screenshot();
        } else if (!standing.isNull()) {
            wiped = inLeft.white + inLeft.other == 0 && screen.copy(label) == standing.copy(label);
        }
    }
    ASSERT_FALSE(standing.isNull()) << "no diagram stood";
    EXPECT_GT(coloursIn(standing, left).white, 100) << "the lighter site's boundary and marks";
    int top = label.bottom();
    int bottom = label.top();
    for (int y = label.top(); y <= label.bottom(); ++y) {
        if (coloursIn(standing, QRect(label.left(), y, label.width(), 1)).white > 0) {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_NEAR(bottom - top + 1, 0.012 * 1024, 1.5) << "the digits' height";
    EXPECT_GT(coloursIn(standing, label).other, 10) << "the label is not antialiased";
    EXPECT_TRUE(wiped) << "no frame of the old diagram partly wiped away";
}

}  // namespace
}  // namespace voroquarn::testing
