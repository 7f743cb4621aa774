// The areas changed since they were last taken, for a window to put on screen.
#include "output/PictureRaster.h"

namespace voroquarn {

void PictureRaster::markChanged(const QRect& rect)
{
    convertedFresh_ = false;
    const QRect inside = rect & this->rect();
    if (inside.isEmpty()) {
        return;
    }
    if (!changed_.empty() && changed_.back().contains(inside)) {
        return;
    }
    if (changed_.size() == MAX_CHANGED_AREAS) {
        QRect bounds = inside;
        for (const QRect& r : changed_) {
            bounds |= r;
        }
        changed_.clear();
        changed_.push_back(bounds);
        return;
    }
    changed_.push_back(inside);
}
}  // namespace voroquarn
