// The finished picture in a real X session with a window manager: what the window shows,
// that it keeps showing it whatever happens to the window, and that the program rests.
#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>

#include "ProcessControl.h"
#include "TestDiagram.h"
#include "XSession.h"

namespace voroquarn::testing {
namespace {

const QString COVER_TITLE = QStringLiteral("voroquarn test cover");

class FinishedPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(XSession::ensureWindowManager()); }

    // Starts the program on the test diagram and waits until its picture is finished.
    void SetUp() override
    {
        ASSERT_EQ(diagram_.problem(), "");
        program_ = std::make_unique<ProgramRun>(diagram_.arguments());
        const auto window = XSession::waitForWindowOf(program_->pid());
        ASSERT_TRUE(window) << "no window appeared";
        window_ = *window;
        finished_ = XSession::waitForFinishedPicture(window_);
        ASSERT_FALSE(finished_.isNull()) << "the picture never stood still";
    }

    TestDiagram diagram_;
    std::unique_ptr<ProgramRun> program_;
    QString window_;
    QImage finished_;
};

// The window shows the picture that --output writes for the same sites and size, its
// labels too: both set them from the digits drawn at build time, without a font.
TEST_F(FinishedPicture, IsTheImageOutputsPicture)
{
    ASSERT_GT(diagram_.referenceBoundaryPixels(), 2000) << "the reference shows hardly any boundary";
    ASSERT_EQ(finished_.size(), TestDiagram::size());
    QString where;
    EXPECT_EQ(diagram_.differencesFromReference(finished_, &where), 0) << where.toStdString();
    EXPECT_EQ(differences(finished_, diagram_.reference(), &where), 0) << "the labels:" << where.toStdString();
}

// Another window put over the picture and taken away again leaves the picture as it
// was. The program is held still while that happens, which shows that the X server
// does not keep the covered pixels itself: what comes back is the program's own repaint.
TEST_F(FinishedPicture, SurvivesBeingCoveredAndUncovered)
{
    const QRect area = XSession::geometry(window_);
    ProcessFreezer freezer(program_->pid());
    ASSERT_TRUE(freezer.stop());

    QProcess cover;
    cover.start("xmessage",
                {"-title", COVER_TITLE, "-geometry",
                 QStringLiteral("500x400+%1+%2").arg(area.x() + 250).arg(area.y() + 200),
                 "covering the picture"});
    ASSERT_TRUE(cover.waitForStarted());
    const auto coverWindow = XSession::waitForWindow(COVER_TITLE);
    ASSERT_TRUE(coverWindow) << "the covering window did not appear";
    const QImage covered = XSession::waitForFinishedPicture(window_, 10000);
    EXPECT_GT(differences(covered, finished_), 10000) << "the other window did not cover the picture";

    cover.kill();
    cover.waitForFinished();
    ASSERT_TRUE(XSession::waitUntilViewable(*coverWindow, false));
    QThread::msleep(200);
    const QImage uncovered = XSession::grab(window_);
    ASSERT_GT(differences(uncovered, finished_), 0)
        << "the X server restored the covered part by itself, so this test cannot tell "
           "whether the program repaints";

    freezer.resume();
    const QImage after = XSession::waitForPicture(window_, finished_);
    QString where;
    EXPECT_EQ(differences(after, finished_, &where), 0) << where.toStdString();
}

TEST_F(FinishedPicture, SurvivesBeingMinimisedAndRestored)
{
    ASSERT_TRUE(XSession::run("xdotool", {"windowminimize", window_}));
    ASSERT_TRUE(XSession::waitUntilViewable(window_, false)) << "the window was not minimised";
    ASSERT_TRUE(XSession::run("wmctrl", {"-i", "-a", window_}));
    ASSERT_TRUE(XSession::waitUntilViewable(window_, true)) << "the window was not restored";

    const QImage after = XSession::waitForPicture(window_, finished_);
    QString where;
    EXPECT_EQ(differences(after, finished_, &where), 0) << where.toStdString();
}

// A program that only waits for the window to close uses no processor time. The bound
// is no speed target: it only tells waiting from polling or a busy loop.
TEST_F(FinishedPicture, UsesNoProcessorTimeOnceDone)
{
    const qint64 before = cpuTimeMs(program_->pid());
    ASSERT_GE(before, 0);
    QThread::msleep(2000);
    const qint64 after = cpuTimeMs(program_->pid());
    ASSERT_GE(after, 0) << "the program ended";
    EXPECT_LT(after - before, 50) << "processor time used in 2 s of rest, in ms";
}

}  // namespace
}  // namespace voroquarn::testing
