#pragma once

#include <QTimer>
#include <chrono>

#include "screen/Session.h"

namespace voroquarn {

class DiagramWindow;

// What --fps shows over the picture, anew every second, as xscreensaver's hacks show
// their frame rate: the steps the session took a second, and its load, the share of the
// time it spent drawing rather than waiting (a standing diagram: none).
class RateDisplay {
public:
    RateDisplay(DiagramWindow& window, const Session& session);

private:
    void update();

    DiagramWindow& window_;
    const Session& session_;
    QTimer timer_;
    Session::Activity last_;
    std::chrono::steady_clock::time_point lastTime_;
};

}  // namespace voroquarn
