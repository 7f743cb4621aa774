// The session that drives diagram after diagram, on a recording surface and a clock of
// the test's own, which lets time pass at once: pace, linger, seeds, new diagrams,
// resizes and the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "screen/Session.h"
#include "support/RecordingSurface.h"

namespace voroquarn::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Time = SessionClock::Time;

// A clock whose time passes only when the test lets it, waking the session on the way.
class PassingClock final : public SessionClock {
public:
    Time now() const override { return now_; }
    void wakeAfter(std::chrono::nanoseconds wait) override { due_ = now_ + wait; }
    void cancel() override { due_.reset(); }

    // Lets `span` pass; the drawing between two wake-ups takes no time.
    void pass(std::chrono::nanoseconds span)
    {
        const Time until = now_ + span;
        while (due_ && *due_ <= until) {
            now_ = *std::exchange(due_, std::nullopt);
            onWake();
        }
        now_ = until;
    }

private:
    Time now_;
    std::optional<Time> due_;
};

// A window of a given size in pixels that records when each step and each diagram began.
class RecordingWindow final : public SessionWindow {
public:
    RecordingWindow(int width, int height, const PassingClock& clock)
        : surface_(static_cast<float>(width), static_cast<float>(height)), clock_(clock)
    {
        surface_.onYield = [this](long yield) {
            steps.push_back(clock_.now());
            if (onStep) {
                onStep(yield);
            }
        };
    }

    DrawingSurface& surface() override { return surface_; }
    void present() override { ++presented; }
    void fitRun(RunSettings& /*run*/) const override {}

    void resize(int width, int height)
    {
        surface_.width = static_cast<float>(width);
        surface_.height = static_cast<float>(height);
    }
    void closeAfter(long yields) { surface_.openYields = yields; }

    std::vector<Time> steps;
    std::function<void(long)> onStep;
    int presented = 0;

private:
    RecordingSurface surface_;
    const PassingClock& clock_;
};

// One diagram as it began: when, its seed and its sites.
struct Begun {
    Time at;
    std::uint32_t seed;
    SiteArrays sites;
    std::size_t firstStep;  // the index of its first step in RecordingWindow::steps
};

struct SessionRun {
    PassingClock clock;
    RecordingWindow window;
    Session session;
    std::vector<Begun> diagrams;
    std::vector<int> ends;

    SessionRun(int width, int height, SessionSettings settings)
        : window(width, height, clock), session(window, clock, withRecord(std::move(settings)))
    {
        session.onEnd = [this](int status) { ends.push_back(status); };
    }

    // The time from the diagram's first step to its last, and the steps it took.
    std::pair<double, std::size_t> drawing(std::size_t k) const
    {
        const std::size_t from = diagrams[k].firstStep;
        const std::size_t to = k + 1 < diagrams.size() ? diagrams[k + 1].firstStep : window.steps.size();
        return {std::chrono::duration<double>(window.steps[to - 1] - window.steps[from]).count(), to - from};
    }

private:
    SessionSettings withRecord(SessionSettings settings)
    {
        settings.run.onSitesPlaced = [this, then = settings.run.onSitesPlaced](const SiteArrays& sites) {
            diagrams.push_back({clock.now(), *session.seed(), sites, window.steps.size()});
            if (then) {
                then(sites);
            }
        };
        return settings;
    }
};

double secondsBetween(Time a, Time b) { return std::chrono::duration<double>(b - a).count(); }

// Diagram after diagram: each has the seed of its number, is drawn at the delay's pace,
// and stands for the linger in seconds before the next begins.
TEST(Session, PacesByTheDelayAndLingersBetweenDiagramsOfTheirOwnSeeds)
{
    SessionSettings settings;
    settings.cycle = true;
    settings.linger = seconds(2);
    settings.delay = std::chrono::microseconds(1000);
    settings.seed = 5;
    SessionRun run(120, 90, settings);
    run.session.start();
    run.clock.pass(seconds(20));

    ASSERT_GE(run.diagrams.size(), 3U);
    for (std::size_t k = 0; k + 1 < run.diagrams.size(); ++k) {
        EXPECT_EQ(run.diagrams[k].seed, seedOfDiagram(5, k));
        const auto [time, steps] = run.drawing(k);
        // A step a millisecond; the last few, less than a display frame, unslept.
        EXPECT_NEAR(time, static_cast<double>(steps) * 1e-3, 0.017) << "diagram " << k;
        EXPECT_GT(steps, 300U);
        const double gap = secondsBetween(run.window.steps[run.diagrams[k + 1].firstStep - 1], run.diagrams[k + 1].at);
        EXPECT_NEAR(gap, 2.0, 0.017) << "the linger after diagram " << k;
    }
    EXPECT_NE(run.diagrams[0].seed, run.diagrams[1].seed);
    EXPECT_GE(run.window.presented, static_cast<int>(run.diagrams.size()));
    EXPECT_EQ(run.session.activity().steps, run.window.steps.size());
    EXPECT_TRUE(run.ends.empty());
}

// By duration, a diagram takes the same time on a small window and a large one, with or
// without the fill, with many sites too, whose preparations are not paced.
TEST(Session, PacesByTheDurationOnEverySize)
{
    struct Case {
        int width;
        int height;
        bool fill;
        std::optional<int> count;
    };
    for (const Case& c : {Case{60, 45, false, {}}, Case{1920, 1080, false, {}}, Case{300, 200, true, {}},
                          Case{400, 300, true, 200}}) {
        SessionSettings settings;
        settings.cycle = true;
        settings.duration = seconds(3);
        settings.seed = 12;
        settings.run.fill = c.fill;
        settings.run.count = c.count;
        SessionRun run(c.width, c.height, settings);
        run.session.start();
        run.clock.pass(seconds(4));
        ASSERT_EQ(run.diagrams.size(), 1U);
        const auto [time, steps] = run.drawing(0);
        EXPECT_NEAR(time, 3.0, 0.02) << c.width << "x" << c.height << ", " << steps << " steps";
    }
}

// Space and a resize while a diagram is drawn: the next diagram at once, and the same
// one again at the new size; a closed window ends the session with 0, a failed drawing
// with status 2.
TEST(Session, StartsTheNextDiagramOrTheSameAgainAndEnds)
{
    SessionSettings settings;
    settings.cycle = true;
    settings.delay = std::chrono::microseconds(500);
    settings.seed = 77;
    settings.followResizes = true;
    SessionRun run(200, 150, settings);
    run.window.onStep = [&](long step) {
        if (step == 100) {
            run.session.newDiagram();
        } else if (step == 200) {
            run.window.resize(400, 300);
            run.session.resized();
        }
    };
    run.session.start();
    run.clock.pass(seconds(1));
    ASSERT_GE(run.diagrams.size(), 3U);
    EXPECT_EQ(run.diagrams[1].seed, seedOfDiagram(77, 1));
    EXPECT_EQ(run.diagrams[1].firstStep, 100U) << "the next diagram waited";
    EXPECT_EQ(run.diagrams[2].seed, run.diagrams[1].seed);
    EXPECT_EQ(run.diagrams[2].firstStep, 200U);
    const SiteArrays& grown = run.diagrams[2].sites;
    const double widest = *std::max_element(grown.x.begin(), grown.x.begin() + grown.N);
    EXPECT_GT(widest, 200) << "not drawn at the new size";
    // The same resize without following it changes nothing, and a linger of 0 lets the
    // first diagram stand for good.
    const std::size_t drawn = run.diagrams.size();
    SessionSettings standing;
    standing.cycle = true;
    standing.linger = milliseconds(0);
    SessionRun still(200, 150, standing);
    still.session.start();
    still.session.resized();
    still.clock.pass(seconds(1));
    EXPECT_EQ(still.diagrams.size(), 1U);

    run.window.closeAfter(static_cast<long>(run.window.steps.size()) + 5);
    run.session.newDiagram();
    run.clock.pass(seconds(30));
    EXPECT_EQ(run.ends, std::vector<int>{0});
    EXPECT_EQ(run.diagrams.size(), drawn + 1) << "drawn on after the window closed";

    SessionSettings failing;
    failing.run.onSitesPlaced = [](const SiteArrays&) { throw std::runtime_error("no room"); };
    SessionRun broken(100, 100, failing);
    ::testing::internal::CaptureStderr();
    broken.session.start();
    broken.clock.pass(seconds(1));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "voroquarn: cannot go on: no room\n");
    EXPECT_EQ(broken.ends, std::vector<int>{2});
}

}  // namespace
}  // namespace voroquarn::testing
