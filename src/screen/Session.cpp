#include "screen/Session.h"

#include <QCoreApplication>

#include "diagram/makeSites.h"
#include "output/Messages.h"
#include "screen/FrmVoroQuarn.h"

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
        // Nothing may be thrown through Qt's event loop: an exception of a drawing
        // step ends the program with its one line.
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
            QCoreApplication::exit(EXIT_ERROR);
        }
    });
    const auto resized = [this] {
        if (settings_.followResizes) {
            redraw();
        }
    };
    QObject::connect(&window_, &QWindow::widthChanged, &timer_, resized);
    QObject::connect(&window_, &QWindow::heightChanged, &timer_, resized);
}

void Session::start() { timer_.start(0); }

void Session::newDiagram()
{
    restart_ = Restart::Next;
    if (!advancing_) {
        timer_.start(0);
    }
}

void Session::redraw()
{
    if (restart_ == Restart::None) {
        restart_ = Restart::Redraw;
    }
    if (!advancing_) {
        timer_.start(0);
    }
}

void Session::stop()
{
    stopped_ = true;
    timer_.stop();
}

std::optional<std::uint32_t> Session::seed() const
{
    return random_ ? random_->seed() : std::nullopt;
}

RunSettings Session::runSettings() const
{
    RunSettings run = settings_.run;
    if (window_.fit() == WindowFit::Target) {
        const qreal ratio = window_.pictureRatio();
        const QRectF box = PictureRaster::markerBox(MARKER_RADIUS, ratio);
        run.margins = marginsHolding({box.left(), box.top(), box.right(), box.bottom()}, ratio);
    }
    return run;
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
        requestedSeed_ = settings_.seed ? std::optional(seedOfDiagram(*settings_.seed, next_))
                                        : std::nullopt;
        ++next_;
    }
    drawing_.reset();  // it draws with the generator about to be replaced
    random_.emplace(requestedSeed_);
    drawing_.emplace(drawDiagram(window_, *random_, runSettings()));
    due_ = Clock::now();
    advance();
}

void Session::advance()
{
    advancing_ = true;
    while (drawing_->next()) {
        const bool open = window_.DoEvents();
        if (!open || stopped_ || restart_ != Restart::None) {
            advancing_ = false;
            if (!open) {
                stopped_ = true;
                QCoreApplication::quit();
            } else if (!stopped_) {
                timer_.start(0);
            }
            return;
        }
        if (!drawing_->paced()) {
            due_ = Clock::now();  // preparations take what they take; the pace starts after
        } else if (settings_.delay.count() > 0) {
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
