// Requests of the window manager in the middle of the drawing.
//
// The whole drawing takes a fraction of a second, so the tests run the program in short
// slices and hold it still in between (ProcessFreezer) until its window shows part of
// the picture; then they act. Whatever they do waits for the program, like any event,
// until it runs again. Where the order in which the program's threads see something
// matters, a single thread is held a while longer (ThreadHold).
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <cstring>
#include <optional>

#include "ProcessControl.h"
#include "TestDiagram.h"
#include "XConnection.h"
#include "XSession.h"

namespace voroquarn::testing {
namespace {

// How much of the picture the tests wait for before acting: enough that the drawing is
// well under way, little enough that much of it remains.
constexpr double PART_DRAWN = 0.25;

class DuringTheDrawing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(XSession::ensureWindowManager()); }

    // Starts the program on the test diagram and holds it still once its window shows
    // part of the picture, which it keeps in partial_.
    void SetUp() override
    {
        ASSERT_EQ(diagram_.problem(), "");
        program_ = std::make_unique<ProgramRun>(diagram_.arguments());
        freezer_ = std::make_unique<ProcessFreezer>(program_->pid());
        const bool reached = freezer_->runInSlicesUntil(
            [&] {
                if (window_.isEmpty()) {
                    window_ = XSession::windowOf(program_->pid()).value_or(QString());
                    if (window_.isEmpty()) {
                        return false;
                    }
                    onWindow();
                }
                partial_ = XSession::grab(window_);
                return diagram_.progress(partial_) >= PART_DRAWN;
            },
            60000);
        ASSERT_TRUE(reached) << "the window never showed part of the picture";
        ASSERT_LT(diagram_.progress(partial_), 1.0) << "the drawing was over before the test could act";
        ASSERT_GT(diagram_.differencesFromReference(partial_), 0);
    }

    // Called, with the program held still, as soon as its window is found.
    virtual void onWindow() {}

    TestDiagram diagram_;
    std::unique_ptr<ProgramRun> program_;
    std::unique_ptr<ProcessFreezer> freezer_;
    QString window_;
    QImage partial_;
};

// The window has a fixed size, so the window manager may refuse to maximize it; openbox
// does. Either way the program goes on drawing and finishes the picture, which is the
// reference picture within the drawing area, and keeps everything drawn before.
TEST_F(DuringTheDrawing, AMaximizeRequestNeitherStopsNorSpoilsIt)
{
    const QRect before = XSession::geometry(window_);
    ASSERT_TRUE(XSession::run("wmctrl", {"-i", "-r", window_, "-b", "add,maximized_vert,maximized_horz"}));
    QThread::msleep(300);  // the window manager acts while the program stands still
    freezer_->resume();

    const QImage finished = XSession::waitForFinishedPicture(window_);
    const auto stat = processStat(program_->pid());
    ASSERT_TRUE(stat && stat->state != 'Z') << "the program ended";
    ASSERT_FALSE(finished.isNull()) << "the picture never stood still";
    const QRect after = XSession::geometry(window_);
    const auto state = XSession::run("xprop", {"-id", window_, "_NET_WM_STATE"});
    std::printf("maximize request: drawing area %dx%d+%d+%d before, %dx%d+%d+%d after; %s\n",
                before.width(), before.height(), before.x(), before.y(), after.width(),
                after.height(), after.x(), after.y(),
                state.value_or("no state").trimmed().toLocal8Bit().constData());

    QString where;
    EXPECT_EQ(diagram_.differencesFromReference(finished, &where), 0) << where.toStdString();
    int lost = 0;
    for (int y = 0; y < partial_.height(); ++y) {
        for (int x = 0; x < partial_.width(); ++x) {
            lost += partial_.pixel(x, y) != finished.pixel(x, y) &&
                            (partial_.pixel(x, y) & 0xFFFFFFU) == 0xFFFFFFU
                        ? 1
                        : 0;
        }
    }
    EXPECT_EQ(lost, 0) << "boundary pixels drawn before the request are gone";

    ASSERT_TRUE(XSession::requestClose(window_));
    EXPECT_EQ(program_->waitForExit(10000), 0);
}

// A window minimised in the middle of the drawing, and restored once the drawing is
// over, shows the whole picture: nothing drawn while it was hidden is lost, although
// what was put on screen before comes back from the window's own copy.
TEST_F(DuringTheDrawing, AMinimizeLosesNothingDrawnMeanwhile)
{
    ASSERT_TRUE(XSession::run("xdotool", {"windowminimize", window_}));
    freezer_->resume();
    ASSERT_TRUE(XSession::waitUntilViewable(window_, false)) << "the window was not minimised";
    // The program draws on, hidden, until it rests.
    qint64 used = -2;
    for (QDeadlineTimer deadline(20000); used != cpuTimeMs(program_->pid()) && !deadline.hasExpired();) {
        used = cpuTimeMs(program_->pid());
        QThread::msleep(500);
    }
    ASSERT_GE(used, 0) << "the program ended";
    ASSERT_TRUE(XSession::run("wmctrl", {"-i", "-a", window_}));
    ASSERT_TRUE(XSession::waitUntilViewable(window_, true)) << "the window was not restored";

    const QImage finished = XSession::waitForFinishedPicture(window_);
    ASSERT_FALSE(finished.isNull()) << "the picture never stood still";
    QString where;
    EXPECT_EQ(diagram_.differencesFromReference(finished, &where), 0) << where.toStdString();

    ASSERT_TRUE(XSession::requestClose(window_));
    EXPECT_EQ(program_->waitForExit(10000), 0);
}

// A close request in the middle of the drawing ends the program with status 0, and
// after it the program draws not one more pixel.
//
// The drawing thread is held, under ptrace, where it looks for events in the middle of
// a keepResponsive: everything drawn so far is on screen, and the next step can come only
// after this look. With the whole program stopped, the window manager's WM_DELETE_WINDOW
// message is made to wait unread in the program's connection; then Qt's thread that
// reads the connection takes it in while the drawing thread is still held. So the
// drawing thread's look finds the request, and from then on
// - the X server's DAMAGE extension, which reports every rectangle any client draws
//   into the window up to its destruction, must report nothing, and
// - the drawing thread, followed to the program's end, may look for events only the few
//   times that ending takes. Every step of the drawing starts with such a look, so a
//   program that drew on after the request, even only in memory, would look thousands
//   of times.
class ACloseRequest : public DuringTheDrawing {
protected:
    void onWindow() override { damage_ = std::make_unique<DamageWatch>(x_, window_.toUInt()); }

    // Whether the bytes hold the window manager's close request for the window: a
    // ClientMessage event of type WM_PROTOCOLS whose first datum is WM_DELETE_WINDOW.
    bool holdsCloseRequest(const QByteArray& bytes) const
    {
        const quint32 window = window_.toUInt();
        const quint32 protocols = x_.atom("WM_PROTOCOLS");
        const quint32 deleteWindow = x_.atom("WM_DELETE_WINDOW");
        constexpr quint8 CLIENT_MESSAGE = 33;
        for (qsizetype at = 0; at + 16 <= bytes.size(); ++at) {
            const char* event = bytes.constData() + at;
            quint32 words[3];
            std::memcpy(words, event + 4, sizeof words);
            if ((quint8(event[0]) & 0x7F) == CLIENT_MESSAGE && event[1] == 32 && words[0] == window &&
                words[1] == protocols && words[2] == deleteWindow) {
                return true;
            }
        }
        return false;
    }

    XConnection x_;
    std::unique_ptr<DamageWatch> damage_;
};

template <class Condition>
bool waitUntil(Condition condition, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(5);
    }
    return true;
}

TEST_F(ACloseRequest, EndsTheDrawingWithoutAnotherPixel)
{
    ASSERT_TRUE(damage_ && damage_->isWatching());
    const XSocketOf connection(program_->pid());
    ASSERT_TRUE(connection.isOpen()) << "the program's connection to the X server was not found";

    ThreadHold hold(program_->pid());
    ASSERT_TRUE(hold.isHeld()) << "cannot hold the program's drawing thread";
    freezer_->resume();
    ASSERT_TRUE(hold.runUntilItLooksForEvents(10000)) << "the drawing thread never looked for events";
    QThread::msleep(200);  // the server handles whatever the program sent before
    damage_->collect();
    ASSERT_GT(damage_->drawnPixels(), 0) << "the watch saw none of the drawing so far";
    damage_->clear();

    ASSERT_TRUE(freezer_->stop());
    ASSERT_TRUE(XSession::requestClose(window_));
    ASSERT_TRUE(waitUntil([&] { return holdsCloseRequest(connection.unread()); }))
        << "the close request never reached the program";
    freezer_->resume();
    ASSERT_TRUE(waitUntil([&] { return connection.unread().isEmpty(); }))
        << "Qt never read the program's events";
    QThread::msleep(100);  // Qt's reading thread passes the events on to the drawing thread
    damage_->collect();
    ASSERT_EQ(damage_->drawnPixels(), 0) << "something drew while the drawing thread was held";

    const int looks = hold.countSystemCallsToTheEnd(ThreadHold::looksForEvents, 1000, 10000);
    EXPECT_GE(looks, 0) << "the program did not end";
    EXPECT_LT(looks, 100) << "looks for events by the drawing thread after the close request";
    EXPECT_EQ(program_->waitForExit(10000), 0);

    damage_->collect();
    EXPECT_TRUE(damage_->windowDestroyed());
    QString drawn;
    for (const QRect& rect : damage_->rects()) {
        if (drawn.size() > 200) {
            drawn += QStringLiteral(" ... (%1 rectangles)").arg(damage_->rects().size());
            break;
        }
        drawn += QStringLiteral(" %1x%2+%3+%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
    }
    EXPECT_EQ(damage_->drawnPixels(), 0) << "drawn after the close request:" << drawn.toStdString();
    std::printf("close request: the drawing thread looked for events %d times more; drawn after "
                "the request:%s\n",
                looks, drawn.isEmpty() ? " nothing" : drawn.toLocal8Bit().constData());
}

}  // namespace
}  // namespace voroquarn::testing
