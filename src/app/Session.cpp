#include "app/Session.h"

#include <QCoreApplication>

#include "window/FrmVoroQuarn.h"

namespace voroquarn {

namespace {

using Clock = std::chrono::steady_clock;

// With a delay, the session sleeps once it is this far ahead of its schedule: a display
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

Session::Session(FrmVoroQuarn& window, SessionSettings settings)
    : window_(window), settings_(std::move(settings))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        if (restartWanted_ || !drawing_) {
            begin();
        } else {
            advance();
        }
    });
}

void Session::start() { timer_.start(0); }

void Session::newDiagram()
{
    restartWanted_ = true;
    if (!advancing_) {
        timer_.start(0);
    }
}

void Session::stop()
{
    stopped_ = true;
    timer_.stop();
}

void Session::begin()
{
    if (stopped_) {
        return;
    }
    restartWanted_ = false;
    drawing_.reset();  // it draws with the generator about to be replaced
    random_.emplace(settings_.seed ? std::optional(seedOfDiagram(*settings_.seed, started_))
                                   : std::nullopt);
    ++started_;
    drawing_.emplace(drawDiagram(window_, *random_, settings_.run));
    due_ = Clock::now();
    advance();
}

void Session::advance()
{
    advancing_ = true;
    while (drawing_->next()) {
        const bool open = window_.DoEvents();
        if (!open || stopped_ || restartWanted_) {
            advancing_ = false;
            if (!open) {
                stopped_ = true;
                QCoreApplication::quit();
            } else if (restartWanted_) {
                timer_.start(0);
            }
            return;
        }
        if (settings_.delay.count() > 0) {
            due_ += settings_.delay;
            const auto ahead = due_ - Clock::now();
            if (ahead >= PACING_SLEEP) {
                advancing_ = false;
                window_.present();
                timer_.start(std::chrono::ceil<std::chrono::milliseconds>(ahead));
                return;
            }
        }
    }
    advancing_ = false;
    drawing_.reset();
    window_.present();
    if (settings_.cycle && settings_.linger.count() > 0) {
        timer_.start(settings_.linger);
    }
}

}  // namespace voroquarn
