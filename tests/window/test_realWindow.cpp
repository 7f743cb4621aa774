// The program in a real X session with a window manager.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>

#include "XConnection.h"
#include "XSession.h"

namespace voroquarn::testing {
namespace {

const QString CAPTION = QStringLiteral("Quarn Voronoi diagram");

class RealWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(XSession::ensureWindowManager()); }
};

// The window has its drawing area, and a seed places the sites where it places them in
// an image, whatever frame the window manager draws around the window.
TEST_F(RealWindow, OpensTheCaptionedWindowWithItsDrawingArea)
{
    ProgramRun program({"--seed", "7", "--print-sites"});
    const auto window = XSession::waitForWindow(CAPTION);
    ASSERT_TRUE(window);
    const QRect area = XSession::geometry(*window);
    EXPECT_EQ(area.size(), QSize(618, 508));

    QTemporaryDir dir;
    ProgramRun image({"--seed", "7", "--print-sites", "--output", dir.filePath("seven.png")});
    ASSERT_EQ(image.waitForExit(10000), 0);
    const QString inImage = QString::fromUtf8(image.process().readAllStandardOutput());
    EXPECT_GE(inImage.count('\n'), 4);
    for (int tries = 0; tries < 50 && program.process().bytesAvailable() < inImage.size(); ++tries) {
        program.process().waitForReadyRead(100);
    }
    EXPECT_EQ(QString::fromUtf8(program.process().readAllStandardOutput()).toStdString(), inImage.toStdString());

    // The program's own icon, from the smallest size a desktop asks for to the largest a
    // window carries; it comes once the first markers are on screen.
    std::vector<QSize> icons;
    for (int tries = 0; tries < 50 && icons.size() < 2; ++tries) {
        QThread::msleep(tries == 0 ? 0 : 100);
        icons = XConnection().iconSizes(window->toUInt());
    }
    for (const QSize size : {QSize(16, 16), QSize(128, 128)}) {
        EXPECT_NE(std::find(icons.begin(), icons.end(), size), icons.end())
            << "no " << size.width() << " px icon among " << icons.size();
    }
}

TEST_F(RealWindow, ShowsWhiteMarkersOnBlack)
{
    ProgramRun program;
    const auto window = XSession::waitForWindow(CAPTION);
    ASSERT_TRUE(window);
    QThread::msleep(300);
    const QImage shot = XSession::grab(*window);
    ASSERT_EQ(shot.size(), QSize(618, 508));
    int white = 0;
    int other = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb pixel = shot.pixel(x, y) & 0xFFFFFFU;
            white += pixel == 0xFFFFFFU ? 1 : 0;
            other += pixel != 0xFFFFFFU && pixel != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 4 * 12);  // at least four circles' outlines
    EXPECT_EQ(other, 0);
}

TEST_F(RealWindow, ACloseRequestEndsTheProgramWithStatusZero)
{
    ProgramRun program;
    const auto window = XSession::waitForWindow(CAPTION);
    ASSERT_TRUE(window);
    QThread::msleep(200);
    QElapsedTimer sinceRequest;
    sinceRequest.start();
    ASSERT_TRUE(XSession::requestClose(*window));
    EXPECT_EQ(program.waitForExit(5000), 0);
    std::printf("exit after close request: %lld ms\n", static_cast<long long>(sinceRequest.elapsed()));
}

// Many sites in the window: a close request during the preparations (the markers placed,
// the diagram found in a thread of its own, which together take many seconds) ends the
// program within moments; and a finished picture of many sites is the one --output draws.
TEST_F(RealWindow, ManySitesKeepTheWindowAnsweringAndDrawWhatTheFileGets)
{
    {
        ProgramRun program({"--count", "300000", "--seed", "3", "--no-labels"});
        const auto window = XSession::waitForWindow(CAPTION);
        ASSERT_TRUE(window);
        QThread::msleep(500);
        QElapsedTimer sinceRequest;
        sinceRequest.start();
        ASSERT_TRUE(XSession::requestClose(*window));
        EXPECT_EQ(program.waitForExit(5000), 0);
        EXPECT_LT(sinceRequest.elapsed(), 4000);
    }
    ProgramRun program({"--count", "400", "--seed", "5"});
    const auto window = XSession::waitForWindow(CAPTION);
    ASSERT_TRUE(window);
    const QImage finished = XSession::waitForFinishedPicture(*window);
    QTemporaryDir dir;
    ProgramRun image({"--count", "400", "--seed", "5", "--output", dir.filePath("many.png")});
    ASSERT_EQ(image.waitForExit(20000), 0);
    const QImage expected = QImage(dir.filePath("many.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(finished.size(), expected.size());
    int differences = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            differences += (finished.pixel(x, y) & 0xFFFFFFU) != (expected.pixel(x, y) & 0xFFFFFFU) ? 1 : 0;
        }
    }
    EXPECT_EQ(differences, 0);
}

}  // namespace
}  // namespace voroquarn::testing

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
