#include "screen/SaverInput.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>

namespace voroquarn {

SaverInput::SaverInput(Time start) : deafUntil_(start + DEAF_AT_START) {}

bool SaverInput::ends(const QEvent& event, Time now)
{
    const bool deaf = now < deafUntil_;
    switch (event.type()) {
    case QEvent::KeyRelease: {
        const auto& key = static_cast<const QKeyEvent&>(event);
        released_[key.nativeScanCode()] = key.timestamp();
        return false;
    }
    case QEvent::KeyPress: {
        const auto& key = static_cast<const QKeyEvent&>(event);
        const auto release = released_.find(key.nativeScanCode());
        const bool repeat = key.isAutoRepeat() || (release != released_.end() && release->second == key.timestamp());
        return !deaf && !repeat;
    }
    case QEvent::MouseButtonPress:
        return !deaf;
    case QEvent::MouseMove: {
        const QPointF at = static_cast<const QMouseEvent&>(event).globalPosition();
        if (deaf || !pointer_) {
            pointer_ = at;
            return false;
        }
        const QPointF moved = at - *pointer_;
        return std::hypot(moved.x(), moved.y()) > POINTER_HYSTERESIS;
    }
    default:
        return false;
    }
}

}  // namespace voroquarn
