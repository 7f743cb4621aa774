// Filled diagrams on screens of more pixels than units: no row of the picture is lost
// between two frames, on Wayland (a headless weston at scale 2) nor on X, and smooth
// boundaries come out in the screen's device pixels.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>

#include "XSession.h"
#include "diagram/RegionColours.h"

namespace voroquarn::testing {
namespace {

// The rows of the picture that are black, or nearly, from edge to edge: no region's
// colour is black.
std::vector<int> blackRows(const QImage& picture)
{
    std::vector<int> rows;
    for (int y = 0; y < picture.height(); ++y) {
        int black = 0;
        for (int x = 0; x < picture.width(); ++x) {
            black += (picture.pixel(x, y) & 0xFFFFFFU) == 0 ? 1 : 0;
        }
        if (black * 10 > picture.width() * 9) {
            rows.push_back(y);
        }
    }
    return rows;
}

// The saver, filled, run for its duration of 2 s and a little more.
const QStringList FILLED = {"--saver", "--fill", "--duration", "2", "--linger", "60"};
constexpr int DRAWN_MS = 3500;

TEST(ScaledScreens, AFilledDiagramLosesNoRowOnWaylandAtScale2)
{
    if (QStandardPaths::findExecutable("weston").isEmpty() ||
        QStandardPaths::findExecutable("weston-screenshooter").isEmpty()) {
        GTEST_SKIP() << "no weston";
    }
    const QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    environment.insert("WAYLAND_DISPLAY", "voroquarn-test");
    QProcess weston;
    weston.setProcessEnvironment(environment);
    weston.start("weston", {"--backend=headless-backend.so", "--use-pixman", "--debug", "--scale=2", "--width=640",
                            "--height=400", "--socket=voroquarn-test"});
    ASSERT_TRUE(weston.waitForStarted());
    QThread::msleep(1500);
    for (const char* seed : {"4", "12"}) {
        QProcess saver;
        environment.insert("QT_QPA_PLATFORM", "wayland");
        saver.setProcessEnvironment(environment);
        saver.start(VOROQUARN_BINARY, FILLED + QStringList{"--seed", seed});
        QThread::msleep(DRAWN_MS);
        QProcess shooter;
        shooter.setProcessEnvironment(environment);
        shooter.setWorkingDirectory(runtime.path());
        shooter.start("weston-screenshooter", {});
        EXPECT_TRUE(shooter.waitForFinished(10000));
        const QStringList shots = QDir(runtime.path()).entryList({"wayland-screenshot*.png"});
        ASSERT_EQ(shots.size(), 1) << "no screenshot: " << shooter.readAllStandardError().toStdString();
        const QImage picture(QDir(runtime.path()).filePath(shots[0]));
        QFile::remove(QDir(runtime.path()).filePath(shots[0]));
        EXPECT_EQ(picture.size(), QSize(1280, 800));
        EXPECT_EQ(blackRows(picture), std::vector<int>{}) << "seed " << seed;
        saver.terminate();
        EXPECT_TRUE(saver.waitForFinished(5000));
    }
    weston.terminate();
    weston.waitForFinished(5000);
}

// On X at fractional scales, and smooth at scale 2, where the boundaries come out in
// shades of the device pixels.
TEST(ScaledScreens, AFilledDiagramLosesNoRowOnXAtFractionalScales)
{
    ASSERT_TRUE(XSession::ensureWindowManager());
    struct Case {
        const char* scale;
        bool smooth;
    };
    for (const Case c : {Case{"1.25", false}, Case{"1.5", false}, Case{"2", true}}) {
        // Without marks, whose antialiasing would shade a traced picture too.
        ProgramRun saver(FILLED + QStringList{"--seed", "12"} +
                             (c.smooth ? QStringList{"--smooth"} : QStringList{"--no-smooth", "--no-markers", "--no-labels"}),
                         RunPlace{{}, false, {QStringLiteral("QT_SCALE_FACTOR=") + c.scale}});
        QThread::msleep(DRAWN_MS);
        const QImage picture = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        EXPECT_EQ(blackRows(picture), std::vector<int>{}) << "scale " << c.scale;
        int shades = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const Colour colour = static_cast<Colour>(qRed(picture.pixel(x, y))) |
                                      static_cast<Colour>(qGreen(picture.pixel(x, y))) << 8U |
                                      static_cast<Colour>(qBlue(picture.pixel(x, y))) << 16U;
                shades += colour != BLACK && colour != WHITE &&
                                  std::find(SAVER_PALETTE.begin(), SAVER_PALETTE.end(), colour) == SAVER_PALETTE.end()
                              ? 1
                              : 0;
            }
        }
        if (c.smooth) {
            EXPECT_GT(shades, 1000) << "no smooth boundaries";
        } else {
            EXPECT_EQ(shades, 0) << "scale " << c.scale;
        }
        saver.process().terminate();
        EXPECT_EQ(saver.waitForExit(5000), 0);
    }
}

}  // namespace
}  // namespace voroquarn::testing
