#pragma once

namespace voroquarn {

// The drawing area the window opens with, in pixels.
inline constexpr int DESIGN_WIDTH = 618;
inline constexpr int DESIGN_HEIGHT = 508;

// The frame the window is designed with, in pixels: 3 at the left, right and bottom and
// a 24-pixel caption bar at the top.
struct FrameExtents {
    int left;
    int top;
    int right;
    int bottom;
};
inline constexpr FrameExtents DESIGN_FRAME{3, 24, 3, 3};

// The outer size in pixels of a window with the given drawing area and the design
// frame. Windows report this size whatever frame a window manager actually draws, so
// that a seed places its sites alike in a window, in an image and under every window
// manager.
struct OuterSize {
    float width;
    float height;
};

inline OuterSize outerSize(int areaWidth, int areaHeight)
{
    return {static_cast<float>(areaWidth + DESIGN_FRAME.left + DESIGN_FRAME.right),
            static_cast<float>(areaHeight + DESIGN_FRAME.top + DESIGN_FRAME.bottom)};
}

}  // namespace voroquarn
