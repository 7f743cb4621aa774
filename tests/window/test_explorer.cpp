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

// Waits until the window shows the same picture for a quarter of a second while its
// program sleeps and uses no processor time: the picture of every event sent before.
QImage settled(const QString& window, qint64 pid)
{
    QImage last = XSession::grab(window);
    qint64 used = cpuTimeMs(pid);
    const QDeadlineTimer deadline(PATIENCE_MS);
    while (!deadline.hasExpired()) {
        QThread::msleep(250);
        QImage now = XSession::grab(window);
        const qint64 usedNow = cpuTimeMs(pid);
        if (now == last && usedNow == used && sleeps(pid)) {
            return now;
        }
        last = std::move(now);
        used = usedNow;
    }
    return {};
}

// Pixels that differ between two pictures of the same size within a box.
int changedIn(const QImage& a, const QImage& b, const QRect& box)
{
    int count = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

float heavier(float w) { return std::min(static_cast<float>(w * 1.1), 1e6F); }

// Drag, a drag beyond the window, the wheel, a click that adds, a right click that
// removes, undo: the sites printed at the end are where the mouse put them, and the
// picture shown was their diagram, saved as shown. Then + up to the greatest weight and
// the wheel down to the least, and a save into a site file that cannot be written: the
// error shows in the window and the picture saved before stays.
TEST_F(Explorer, FollowsTheMouseAndTheKeysAndSavesOrSaysWhyNot)
{
    const QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const std::vector<Site> start = {{100, 100, 500},    {400, 120, 700},    {250, 300, 300}, {120, 320, 650},
                                     {380, 330, 900}, {300, 200, 2e-6F}, {60, 220, 420}};
    QFile file(home.filePath("start.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const Site& site : start) {
        file.write((formatSite(site) + "\n").c_str());
    }
    file.close();
    ProgramRun program({"--explore", "--sites", file.fileName(), "--size", "500x400", "--print-sites"},
                       RunPlace{{}, true, {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.filePath("config")}});
    const auto found = XSession::waitForWindowOf(program.pid());
    ASSERT_TRUE(found) << "no window";
    const QString window = *found;
    ASSERT_EQ(XSession::geometry(window).size(), QSize(500, 400));
    ASSERT_TRUE(xdo({"windowactivate", "--sync", window}));
    ASSERT_FALSE(settled(window, program.pid()).isNull());

    const auto at = [&](double x, double y) {
        return xdo({"mousemove", "--window", window, QString::number(x), QString::number(y)});
    };
    // A drag of site 1 by (40, 30), in steps; another of site 2 far beyond the right edge.
    ASSERT_TRUE(at(102, 101) && xdo({"mousedown", "1"}));
    for (int step = 1; step <= 4; ++step) {
        ASSERT_TRUE(at(102 + 10 * step, 101 + 7.5 * step));
    }
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    ASSERT_TRUE(at(400, 120) && xdo({"mousedown", "1"}) && at(700, 150) && xdo({"mouseup", "1"}));
    // The wheel: three steps up and one down over site 3.
    ASSERT_TRUE(at(251, 299) && xdo({"click", "--repeat", "3", "--delay", "30", "4"}) && xdo({"click", "5"}));
    // A click on empty ground adds a site; a right click takes site 4 away, and Ctrl+Z
    // brings it back; site 7 goes for good.
    ASSERT_TRUE(at(200, 60) && xdo({"click", "1"}));
    ASSERT_TRUE(at(120, 320) && xdo({"click", "3"}) && xdo({"key", "ctrl+z"}));
    ASSERT_TRUE(at(60, 220) && xdo({"click", "3"}));
    const QImage shown = settled(window, program.pid());
    ASSERT_FALSE(shown.isNull());

    // Saved once; then the site file's name is a folder, and the save fails whole.
    const QDir pictures(home.filePath("Pictures"));
    const auto waitFor = [&](const QString& line) {
        QString said;
        const QDeadlineTimer deadline(PATIENCE_MS);
        while (!said.contains(line) && !deadline.hasExpired()) {
            program.process().waitForReadyRead(50);
            said += program.errors();
        }
        return said.contains(line);
    };
    ASSERT_TRUE(xdo({"key", "ctrl+s"}));
    ASSERT_TRUE(waitFor("saved the picture to " + pictures.filePath("voroquarn-explore-1.png")));
    QFile saved(pictures.filePath("voroquarn-explore-1.png"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray first = saved.readAll();
    saved.close();
    EXPECT_EQ(QImage::fromData(first).convertToFormat(QImage::Format_RGB32), shown) << "not the picture shown";
    ASSERT_TRUE(QFile::remove(pictures.filePath("voroquarn-explore-1.txt")));
    ASSERT_TRUE(pictures.mkdir("voroquarn-explore-1.txt"));
    // + past the greatest weight over site 5, the wheel past the least over site 6.
    ASSERT_TRUE(at(380, 330) && xdo({"key", "--repeat", "80", "--delay", "5", "plus"}));
    ASSERT_TRUE(at(300, 200) && xdo({"click", "--repeat", "12", "--delay", "30", "5"}));
    const QImage before = settled(window, program.pid());
    ASSERT_TRUE(xdo({"key", "ctrl+s"}));
    const QString error = pictures.filePath("voroquarn-explore-1.txt") + ": cannot be written: Is a directory";
    EXPECT_TRUE(waitFor("voroquarn: " + error));
    const QDeadlineTimer shownBy(PATIENCE_MS);
    while (changedIn(before, XSession::grab(window), QRect(0, 360, 500, 40)) <= 100 && !shownBy.hasExpired()) {
        QThread::msleep(50);
    }
    EXPECT_FALSE(shownBy.hasExpired()) << "the error is not in the window";
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), first) << "the failed save changed the picture saved before";
    ASSERT_TRUE(xdo({"key", "Escape"}));
    EXPECT_EQ(program.waitForExit(PATIENCE_MS), 0);

    const SiteFileContents printed = parseSiteFile(program.process().readAllStandardOutput().toStdString());
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

}  // namespace
}  // namespace voroquarn::testing
