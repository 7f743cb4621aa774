#include "screen/Session.h"

#include "output/Messages.h"

namespace voroquarn {

namespace {

// With a pace, the session sleeps once it is this far ahead of its schedule: a display
// frame, so that it wakes about as often as the screen can show anything new.
constexpr std::chrono::milliseconds PACING_SLEEP{16};

}  // namespace

std::uint32_t seedOfDiagram(std::uint32_t seed, std::uint64_t k)
{
    if (k == 0) {
        return seed;
    }
    // SplitMix64 of the seed and the diagram's number.
    std::uint64_t z = (static_cast<std::uint64_t>(seed) << 32U) + k * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
    return static_cast<std::uint32_t>((z ^ (z >> 31U)) >> 16U);
}

Session::Session(SessionWindow& window, SessionClock& clock, SessionSettings settings)
    : window_(window), clock_(clock), settings_(std::move(settings))
{
    clock_.onWake = [this] { wake(); };
}

void Session::start() { clock_.wakeAfter({}); }

void Session::newDiagram()
{
    restart_ = Restart::Next;
    if (!advancing_) {
        clock_.wakeAfter({});
    }
}

void Session::redraw()
{
    if (restart_ == Restart::None) {
        restart_ = Restart::Redraw;
    }
    if (!advancing_) {
        clock_.wakeAfter({});
    }
}

void Session::resized()
{
    if (settings_.followResizes) {
        redraw();
    }
}

void Session::stop()
{
    stopped_ = true;
    clock_.cancel();
}

std::optional<std::uint32_t> Session::seed() const
{
    return random_ ? random_->seed() : std::nullopt;
}

RunSettings Session::runSettings() const
{
    RunSettings run = settings_.run;
    window_.fitRun(run);
    run.sayStepsAhead = settings_.duration.count() > 0;
    return run;
}

void Session::wake()
{
    const SessionClock::Time woken = clock_.now();
    // Nothing may be thrown through Qt's event loop: an exception of a drawing step ends
    // the program with its one line.
    try {
        if (restart_ != Restart::None || !drawing_) {
            begin();
        } else {
            advance();
        }
    } catch (const std::exception& error) {
        advancing_ = false;
        drawing_.reset();
        stop();
        say(stoppedBy(error));
        end(EXIT_ERROR);
    }
    activity_.busy += clock_.now() - woken;
}

void Session::end(int status)
{
    if (onEnd) {
        onEnd(status);
    }
}

void Session::begin()
{
    if (stopped_) {
        return;
    }
    // A redraw keeps the diagram's seed; before the diagram drew its first random
    // number, that is the seed its generator was given.
    const bool same = restart_ == Restart::Redraw && random_;
    restart_ = Restart::None;
    if (same) {
        requestedSeed_ = random_->seed() ? random_->seed() : requestedSeed_;
    } else {
        requestedSeed_ = settings_.seed ? std::optional(seedOfDiagram(*settings_.seed, next_)) : std::nullopt;
        ++next_;
    }
    drawing_.reset();  // it draws with the generator about to be replaced
    random_.emplace(requestedSeed_);
    drawing_.emplace(drawDiagram(window_.surface(), *random_, runSettings()));
    paceFrom(settings_.delay);
    advance();
}

void Session::paceFrom(Pace perStep)
{
    perStep_ = perStep;
    pacedFrom_ = clock_.now();
    paced_ = 0;
}

void Session::advance()
{
    advancing_ = true;
    while (drawing_->next()) {
        ++activity_.steps;
        if (const auto ahead = drawing_->takeStepsAhead(); ahead && settings_.duration.count() > 0) {
            paceFrom(*ahead > 0 ? Pace(settings_.duration) / static_cast<double>(*ahead) : Pace(0));
        }
        const bool open = window_.surface().keepResponsive();
        if (!open || stopped_ || restart_ != Restart::None) {
            advancing_ = false;
            if (!open) {
                stopped_ = true;
                end(0);
            } else if (!stopped_) {
                clock_.wakeAfter({});
            }
            return;
        }
        if (!drawing_->paced()) {
            paceFrom(perStep_);  // preparations take what they take; the pace starts after
        } else if (perStep_.count() > 0) {
            ++paced_;
            const auto due = pacedFrom_ + std::chrono::round<std::chrono::nanoseconds>(perStep_ * paced_);
            const auto ahead = due - clock_.now();
            if (ahead >= PACING_SLEEP) {
                advancing_ = false;
                window_.present();
                clock_.wakeAfter(ahead);
                return;
            }
        }
    }
    advancing_ = false;
    drawing_.reset();
    window_.present();
    if (settings_.cycle && settings_.linger.count() > 0) {
        clock_.wakeAfter(settings_.linger);
    }
}

}  // namespace voroquarn
