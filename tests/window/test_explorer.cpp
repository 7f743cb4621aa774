// The explorer in a real window, driven with the mouse and the keys as a person would.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cmath>

#include "ProcessControl.h"
#include "XSession.h"
#include "diagram/SiteFile.h"
#include "support/BoundaryFit.h"

namespace voroquarn::testing {
namespace {

class Explorer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(XSession::ensureWindowManager()); }
};

bool xdo(const QStringList& arguments) { return XSession::run("xdotool", arguments).has_value(); }

// Waits until the window's picture, above its status line, stays the same for a quarter
// of a second while its program sleeps and uses no processor time: the picture of every
// event sent before.
QImage settled(const QString& window, QSize picture, qint64 pid)
{
    const auto grab = [&] { return XSession::grab(window).copy(QRect(QPoint(0, 0), picture)); };
    QImage last = grab();
    qint64 used = cpuTimeMs(pid);
    const QDeadlineTimer deadline(PATIENCE_MS);
    while (!deadline.hasExpired()) {
        QThread::msleep(250);
        QImage now = grab();
        const qint64 usedNow = cpuTimeMs(pid);
        if (now == last && usedNow == used && sleeps(pid)) {
            return now;
        }
        last = std::move(now);
        used = usedNow;
    }
    return {};
}

// A site file of these sites in the folder.
QString siteFile(const QTemporaryDir& folder, const std::vector<Site>& sites)
{
    QFile file(folder.filePath("start.txt"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    for (const Site& site : sites) {
        file.write((formatSite(site) + "\n").c_str());
    }
    return file.fileName();
}

// The explorer on these sites in a picture of that size, with a home and a state folder
// of its own in `home`; its window active and drawn.
struct ExplorerRun {
    ExplorerRun(const QTemporaryDir& home, QStringList arguments, QSize picture)
        : program(arguments << "--explore" << "--size" << QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height()),
                  RunPlace{{},
                           true,
                           {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.filePath("config"),
                            "XDG_STATE_HOME=" + home.filePath("state")}}),
          size(picture)
    {
        const auto found = XSession::waitForWindowOf(program.pid());
        window = found.value_or(QString());
        if (found && xdo({"windowactivate", "--sync", window})) {
            first = settled(window, size, program.pid());
        }
    }
    bool at(double x, double y) const
    {
        return xdo({"mousemove", "--window", window, QString::number(x), QString::number(y)});
    }
    // Waits until standard error holds the line; all of it said so far.
    QString waitForError(const QString& line)
    {
        const QDeadlineTimer deadline(PATIENCE_MS);
        while (!said.contains(line) && !deadline.hasExpired()) {
            program.process().waitForReadyRead(50);
            said += program.errors();
        }
        return said;
    }

    ProgramRun program;
    QSize size;
    QString window;
    QImage first;  // the picture once drawn
    QString said;
};

// Pixels that differ between two pictures of the same size outside a box.
int changedOutside(const QImage& a, const QImage& b, const QRect& box)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += !box.contains(x, y) && a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

float heavier(float w) { return std::min(static_cast<float>(w * 1.1), 1e6F); }

// Drag, a drag beyond the window, the wheel, a click that adds, a right click that
// removes, undo: the sites printed at the end are where the mouse put them, and the
// picture shown was their diagram, saved as shown but for the selected site's circle.
// Then + up to the greatest weight and the wheel down to the least, and a save into a
// site file that cannot be written: the error shows in the window and the picture saved
// before stays.
TEST_F(Explorer, FollowsTheMouseAndTheKeysAndSavesOrSaysWhyNot)
{
    const QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const std::vector<Site> start = {{100, 100, 500},    {400, 120, 700},    {250, 300, 300}, {120, 320, 650},
                                     {380, 330, 900}, {300, 200, 2e-6F}, {60, 220, 420}};
    ExplorerRun run(home, {"--sites", siteFile(home, start), "--print-sites"}, QSize(500, 400));
    ASSERT_FALSE(run.first.isNull()) << "no window";
    const QRect frame = XSession::geometry(run.window);
    ASSERT_EQ(frame.width(), 500);
    ASSERT_GT(frame.height(), 400) << "no status line below the picture";

    // A drag of site 1 by (40, 30), in steps; another of site 2 far beyond the right edge.
    ASSERT_TRUE(run.at(102, 101) && xdo({"mousedown", "1"}));
    for (int step = 1; step <= 4; ++step) {
        ASSERT_TRUE(run.at(102 + 10 * step, 101 + 7.5 * step));
    }
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    ASSERT_TRUE(run.at(400, 120) && xdo({"mousedown", "1"}) && run.at(700, 150) && xdo({"mouseup", "1"}));
    // The wheel: three steps up and one down over site 3.
    ASSERT_TRUE(run.at(251, 299) && xdo({"click", "--repeat", "3", "--delay", "30", "4"}) && xdo({"click", "5"}));
    // A click on empty ground adds a site; a right click takes site 4 away, and Ctrl+Z
    // brings it back; site 7 goes for good.
    ASSERT_TRUE(run.at(200, 60) && xdo({"click", "1"}));
    ASSERT_TRUE(run.at(120, 320) && xdo({"click", "3"}) && xdo({"key", "ctrl+z"}));
    ASSERT_TRUE(run.at(60, 220) && xdo({"click", "3"}));
    const QImage shown = settled(run.window, run.size, run.program.pid());
    ASSERT_FALSE(shown.isNull());

    // Saved once; then the site file's name is a folder, and the save fails whole.
    const QDir pictures(home.filePath("Pictures"));
    ASSERT_TRUE(xdo({"key", "ctrl+s"}));
    ASSERT_TRUE(run.waitForError("saved the picture to " + pictures.filePath("voroquarn-explore-1.png"))
                    .contains("voroquarn-explore-1.png"));
    QFile saved(pictures.filePath("voroquarn-explore-1.png"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray first = saved.readAll();
    saved.close();
    const QRect selected(200 - 10, 60 - 10, 21, 21);  // the site added last
    EXPECT_EQ(changedOutside(QImage::fromData(first).convertToFormat(QImage::Format_RGB32), shown, selected), 0)
        << "not the picture shown";
    ASSERT_TRUE(QFile::remove(pictures.filePath("voroquarn-explore-1.txt")));
    ASSERT_TRUE(pictures.mkdir("voroquarn-explore-1.txt"));
    // + past the greatest weight over site 5, the wheel past the least over site 6.
    ASSERT_TRUE(run.at(380, 330) && xdo({"key", "--repeat", "80", "--delay", "5", "plus"}));
    ASSERT_TRUE(run.at(300, 200) && xdo({"click", "--repeat", "12", "--delay", "30", "5"}));
    const QImage before = settled(run.window, run.size, run.program.pid());
    ASSERT_TRUE(xdo({"key", "ctrl+s"}));
    const QString error = pictures.filePath("voroquarn-explore-1.txt") + ": cannot be written: Is a directory";
    EXPECT_TRUE(run.waitForError("voroquarn: " + error).contains(error));
    EXPECT_TRUE(waitUntil([&] {
        return changedOutside(before, XSession::grab(run.window).copy(QRect(QPoint(0, 0), run.size)),
                              QRect(0, 0, 500, 360)) > 100;
    })) << "the error is not in the window";
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), first) << "the failed save changed the picture saved before";
    ASSERT_TRUE(xdo({"key", "Escape"}));
    EXPECT_EQ(run.program.waitForExit(PATIENCE_MS), 0);

    const SiteFileContents printed = parseSiteFile(run.program.process().readAllStandardOutput().toStdString());
    ASSERT_FALSE(printed.error);
    ASSERT_EQ(printed.sites.size(), 7U);
    const auto site = [&](std::size_t k) { return printed.sites[k]; };
    EXPECT_EQ(std::make_pair(site(0).x, site(0).y), std::make_pair(140.0, 130.0)) << "the drag";
    EXPECT_EQ(std::make_pair(site(1).x, site(1).y), std::make_pair(499.0, 150.0)) << "beyond the window";
    EXPECT_EQ(site(2).w, static_cast<float>(heavier(heavier(heavier(300))) / 1.1)) << "the wheel";
    EXPECT_EQ(site(3).x, 120.0) << "not undone";
    EXPECT_EQ(site(4).w, 1e6F);
    EXPECT_EQ(site(5).w, 1e-6F);
    EXPECT_EQ(std::make_tuple(site(6).x, site(6).y), std::make_tuple(200.0, 60.0)) << "the click";
    EXPECT_EQ(site(6).w, site(0).w) << "not as heavy as the nearest";
    // The picture shown before the weights went to their limits.
    SiteArrays sites;
    for (std::size_t k = 0; k < printed.sites.size(); ++k) {
        const bool weighed = k == 4 || k == 5;
        sites.add(site(k).x, site(k).y, weighed ? start[k].w : site(k).w);
    }
    const BoundaryFit fit = boundaryFit(shown, sites);
    EXPECT_EQ(fit.stray, 0);
    EXPECT_EQ(fit.unlit, 0);
}

// The pointer over a site rings it, and nothing else changes; Ctrl+wheel zooms about
// the pointer, the boundaries drawn exactly where the sites, so enlarged, put them; and
// Home brings back the first picture, pixel for pixel.
TEST_F(Explorer, HoverRingsASiteZoomIsExactAndHomeRestoresTheFirstPicture)
{
    const QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const std::vector<Site> start = {{100, 90, 300}, {300, 80, 700}, {200, 220, 450}, {330, 240, 380}, {60, 250, 900}};
    ExplorerRun run(home, {"--sites", siteFile(home, start), "--no-labels"}, QSize(400, 300));
    ASSERT_FALSE(run.first.isNull()) << "no window";
    ASSERT_TRUE(run.at(150, 160));  // on empty ground
    const QImage first = settled(run.window, run.size, run.program.pid());

    ASSERT_TRUE(run.at(200, 221));
    const QImage hovered = settled(run.window, run.size, run.program.pid());
    const QRect ring(200 - 10, 220 - 10, 21, 21);
    EXPECT_GT(changedOutside(first, hovered, {}), 20) << "no ring at the site";
    EXPECT_EQ(changedOutside(first, hovered, ring), 0) << "more changed than the site";

    // Three steps of 1.25 about (150, 160).
    ASSERT_TRUE(run.at(150, 160) && xdo({"keydown", "ctrl"}) &&
                xdo({"click", "--repeat", "3", "--delay", "50", "4"}) && xdo({"keyup", "ctrl"}));
    const QImage zoomed = settled(run.window, run.size, run.program.pid());
    EXPECT_GT(changedOutside(first, zoomed, {}), 1000) << "not zoomed";
    SiteArrays enlarged;
    for (const Site& site : start) {
        enlarged.add(150 + (site.x - 150) * 1.953125, 160 + (site.y - 160) * 1.953125, site.w);
    }
    const BoundaryFit fit = boundaryFit(zoomed, enlarged);
    EXPECT_EQ(fit.stray, 0);
    EXPECT_EQ(fit.unlit, 0);

    ASSERT_TRUE(xdo({"key", "Home"}));
    EXPECT_EQ(settled(run.window, run.size, run.program.pid()), first) << "Home did not bring back the first picture";
}

// A weight typed in place, saved, replays from the saved site file, whose replay line
// names the options that shaped the picture; bad text is refused. A close with edits
// not saved keeps them in the state folder and says so, and the next start offers them
// back (Ctrl+R); with --print-sites they go to standard output and nothing is kept.
TEST_F(Explorer, TypedWeightsReplayAndAQuitKeepsUnsavedEdits)
{
    const QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const std::vector<Site> start = {{100, 100, 500}, {300, 120, 700}, {200, 250, 300}};
    const QString kept = home.filePath("state/voroquarn/unsaved.txt");
    {
        ExplorerRun run(home, {"--sites", siteFile(home, start), "--fill"}, QSize(400, 300));
        ASSERT_FALSE(run.first.isNull()) << "no window";
        ASSERT_TRUE(run.at(300, 120) && xdo({"key", "Return"}) && xdo({"type", "12x3.25"}) && xdo({"key", "Return"}));
        ASSERT_TRUE(run.at(200, 250) && xdo({"key", "Return"}) && xdo({"type", "1..5"}) && xdo({"key", "Return"}));
        settled(run.window, run.size, run.program.pid());
        const QImage refused = XSession::grab(run.window);
        ASSERT_TRUE(xdo({"key", "Escape"}) && xdo({"key", "ctrl+s"}));
        run.waitForError("saved the picture");
        QFile saved(home.filePath("Pictures/voroquarn-explore-1.txt"));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        const QByteArray text = saved.readAll();
        EXPECT_TRUE(text.startsWith("# voroquarn --explore, 400x300: voroquarn --sites FILE --size 400x300 --fill "
                                    "--smooth draws it again\n"))
            << text.toStdString();
        const SiteFileContents replayed = parseSiteFile(text.toStdString());
        ASSERT_EQ(replayed.sites.size(), 3U);
        EXPECT_EQ(replayed.sites[1].w, 123.25F) << "the typed weight";
        EXPECT_EQ(replayed.sites[2].w, 300.0F) << "the refused text";
        EXPECT_GT(changedOutside(refused, XSession::grab(run.window), QRect(0, 0, 400, 300)), 50)
            << "no refusal in the status line";

        // A drag not saved, and q: kept, said on standard error and in the window.
        ASSERT_TRUE(run.at(100, 100) && xdo({"mousedown", "1"}) && run.at(90, 95) && xdo({"mouseup", "1"}));
        const QImage edited = settled(run.window, run.size, run.program.pid());
        ASSERT_TRUE(xdo({"key", "q"}));
        EXPECT_TRUE(run.waitForError("they are kept in " + kept).contains(kept));
        EXPECT_TRUE(waitUntil([&] {
            return changedOutside(edited, XSession::grab(run.window).copy(QRect(QPoint(0, 0), run.size)), {}) > 100;
        })) << "the window does not say where the sites went";
        EXPECT_EQ(run.program.waitForExit(PATIENCE_MS), 0);
    }
    QFile file(kept);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const SiteFileContents left = parseSiteFile(file.readAll().toStdString());
    ASSERT_EQ(left.sites.size(), 3U);
    EXPECT_EQ(std::make_tuple(left.sites[0].x, left.sites[0].y, left.sites[1].w), std::make_tuple(90.0, 95.0, 123.25F));

    ExplorerRun next(home, {"--print-sites"}, QSize(400, 300));
    ASSERT_FALSE(next.first.isNull()) << "no window";
    ASSERT_TRUE(xdo({"key", "ctrl+r"}) && xdo({"key", "q"}));
    EXPECT_EQ(next.program.waitForExit(PATIENCE_MS), 0);
    const SiteFileContents printed = parseSiteFile(next.program.process().readAllStandardOutput().toStdString());
    ASSERT_EQ(printed.sites.size(), 3U) << "not the sites left unsaved";
    EXPECT_EQ(std::make_tuple(printed.sites[0].x, printed.sites[1].w), std::make_tuple(90.0, 123.25F));
    EXPECT_FALSE(next.program.errors().contains("kept")) << "kept though printed";
}

}  // namespace
}  // namespace voroquarn::testing
