// The screen-saver host: what input ends a full-screen saver, how each target is run,
// and the size that covers another program's window.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>

#include "screen/ForeignParent.h"
#include "screen/SaverInput.h"
#include "screen/ScreenPlan.h"

namespace voroquarn {
namespace {

// One event, come `ms` after the start, and whether it ends the saver.
struct Input {
    int ms;
    enum Kind { Press, Release, Repeat, Button, ButtonUp, Move } kind;
    double x = 0;  // a key's server time for keys, the pointer's place for moves
    double y = 0;
    bool ends = false;
};

std::unique_ptr<QEvent> eventOf(const Input& input)
{
    constexpr quint32 RETURN_SCAN_CODE = 36;
    switch (input.kind) {
    case Input::Press:
    case Input::Release:
    case Input::Repeat: {
        auto key = std::make_unique<QKeyEvent>(input.kind == Input::Release ? QEvent::KeyRelease : QEvent::KeyPress,
                                               Qt::Key_Return, Qt::NoModifier, RETURN_SCAN_CODE, 0, 0, QString(),
                                               input.kind == Input::Repeat);
        key->setTimestamp(static_cast<quint64>(input.x));
        return key;
    }
    case Input::Button:
    case Input::ButtonUp:
        return std::make_unique<QMouseEvent>(input.kind == Input::Button ? QEvent::MouseButtonPress
                                                                         : QEvent::MouseButtonRelease,
                                             QPointF(), QPointF(), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    case Input::Move:
        return std::make_unique<QMouseEvent>(QEvent::MouseMove, QPointF(), QPointF(input.x, input.y), Qt::NoButton,
                                             Qt::NoButton, Qt::NoModifier);
    }
    return nullptr;
}

TEST(SaverInput, EndsAtAPressOrALargeMotionButNeverAtAReleaseNorAtFirst)
{
    using I = Input;
    const std::vector<std::vector<Input>> cases = {
        // A press in the first half second is the one that started the program.
        {{100, I::Press, 1000}, {499, I::Button}, {600, I::Press, 1600, 0, true}},
        // Return held since before the start: the X server repeats it as a release and a
        // press at one time; only a press after its last release ends the saver.
        {{700, I::Release, 2000}, {700, I::Press, 2000}, {740, I::Release, 2040}, {740, I::Press, 2040},
         {760, I::Repeat, 2060}, {800, I::Release, 2100}, {900, I::Press, 2200, 0, true}},
        {{600, I::Release, 3000}, {600, I::ButtonUp}, {700, I::Button, 0, 0, true}},
        // The pointer may tremble by up to 10 units from where it was first seen.
        {{600, I::Move, 100, 100}, {650, I::Move, 107, 107}, {700, I::Move, 108, 108, true}},
        {{100, I::Move, 0, 0}, {400, I::Move, 300, 300}, {600, I::Move, 306, 300}, {650, I::Move, 300, 311, true}},
    };
    for (std::size_t n = 0; n < cases.size(); ++n) {
        const SaverInput::Time start{};
        SaverInput saver(start);
        for (const Input& input : cases[n]) {
            const std::unique_ptr<QEvent> event = eventOf(input);
            EXPECT_EQ(saver.ends(*event, start + std::chrono::milliseconds(input.ms)), input.ends)
                << "case " << n << ", the event at " << input.ms << " ms";
        }
    }
}

// The targets of diagram after diagram as they are run: the root window takes no input,
// full screen ends at input, each fits the picture to itself; Qt is told of another
// display and of a place for an own window only.
TEST(ScreenPlan, EachTargetRunsAsItShould)
{
    using Role = WindowKeys::Role;
    struct Case {
        Target target;
        bool cycle;
        std::optional<std::string> display;
        std::string position;
        std::vector<std::string> qtOptions;
        WindowFit fit;
        bool foreign;
        bool fullScreen;
        std::optional<Role> keys;
    };
    const Case cases[] = {
        {Target::Window, true, ":3", "+5-7", {"-platform", "xcb", "-display", ":3", "-qwindowgeometry", "+5-7"},
         WindowFit::Target, false, false, Role::Viewer},
        {Target::FullScreen, true, {}, "+5+5", {}, WindowFit::Target, false, true, Role::Saver},
        {Target::Root, true, ":1", "+5+5", {"-platform", "xcb", "-display", ":1"}, WindowFit::Target, true, false, {}},
    };
    for (const Case& c : cases) {
        ScreenSettings settings;
        settings.target = c.target;
        settings.session.cycle = c.cycle;
        settings.display = c.display;
        settings.position = c.position;
        const ScreenPlan plan = planOf(settings);
        const auto target = static_cast<int>(c.target);
        EXPECT_EQ(plan.qtOptions, c.qtOptions) << target;
        EXPECT_EQ(plan.fit, c.fit) << target;
        EXPECT_EQ(plan.followResizes, c.fit == WindowFit::Target) << target;
        EXPECT_EQ(plan.foreign, c.foreign) << target;
        EXPECT_EQ(plan.fullScreen, c.fullScreen) << target;
        EXPECT_EQ(plan.keys, c.keys) << target;
    }
}

// The program's window covers another program's window wholly, also where the window's
// pixels do not divide by the device-pixel ratio.
TEST(ForeignParent, TheChildCoversEveryPixelOfTheWindow)
{
    EXPECT_EQ(unitsCovering(QSize(400, 300), 1), QSize(400, 300));
    EXPECT_EQ(unitsCovering(QSize(400, 301), 2), QSize(200, 151));
    EXPECT_EQ(unitsCovering(QSize(301, 300), 1.25), QSize(241, 240));
    EXPECT_EQ(unitsCovering(QSize(1001, 999), 1.5), QSize(668, 666));
}

// X errors reach Qt while the window lives; its end is told once, and only the errors
// after it are dropped.
TEST(ForeignParent, DropsTheXErrorsOfTheWindowsEndOnly)
{
    WindowEnd end(42);
    xcb_generic_error_t error{};
    error.error_code = XCB_WINDOW;
    xcb_destroy_notify_event_t other{};
    other.response_type = XCB_DESTROY_NOTIFY;
    other.window = 43;
    xcb_destroy_notify_event_t own = other;
    own.window = 42;
    const auto seen = [&](const void* event) {
        const WindowEnd::Seen s = end.see(event);
        return std::pair(s.ended, s.dropped);
    };
    EXPECT_EQ(seen(&error), std::pair(false, false));
    EXPECT_EQ(seen(&other), std::pair(false, false));
    EXPECT_EQ(seen(&error), std::pair(false, false));
    EXPECT_EQ(seen(&own), std::pair(true, false));
    EXPECT_EQ(seen(&error), std::pair(false, true));
    EXPECT_EQ(seen(&own), std::pair(false, false));
}

}  // namespace
}  // namespace voroquarn
