#include "screen/RateDisplay.h"

#include <algorithm>

#include "screen/DiagramWindow.h"

namespace voroquarn {

RateDisplay::RateDisplay(DiagramWindow& window, const Session& session)
    : window_(window), session_(session), last_(session.activity()), lastTime_(std::chrono::steady_clock::now())
{
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { update(); });
    timer_.start(std::chrono::seconds(1));
}

void RateDisplay::update()
{
    const auto now = std::chrono::steady_clock::now();
    const Session::Activity activity = session_.activity();
    const double seconds = std::chrono::duration<double>(now - lastTime_).count();
    if (seconds <= 0) {
        return;
    }
    const double steps = static_cast<double>(activity.steps - last_.steps) / seconds;
    const double load = std::clamp(std::chrono::duration<double>(activity.busy - last_.busy).count() / seconds, 0.0, 1.0);
    last_ = activity;
    lastTime_ = now;
    window_.showOverlay(QStringLiteral("Steps/s: %1\nLoad:    %2%")
                            .arg(steps, 0, 'f', 1)
                            .arg(load * 100, 0, 'f', 1));
}

}  // namespace voroquarn
