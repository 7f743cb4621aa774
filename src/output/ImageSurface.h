#pragma once

#include "output/PictureSurface.h"

namespace voroquarn {

// A window that exists only in memory: the picture of its drawing area as an image. It
// reports the outer size of a window with the design frame, and it has no events.
class ImageSurface final : public PictureSurface {
public:
    explicit ImageSurface(QSize drawingArea);

    void showWindow() override {}
    void clear() override;
    float outerWidth() const override;
    float outerHeight() const override;
    bool keepResponsive() override;
};

}  // namespace voroquarn
