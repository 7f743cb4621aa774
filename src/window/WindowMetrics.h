#pragma once

namespace voroquarn {

// Window sizes are reported in twips; a pixel is 15 twips.
inline constexpr float TWIPS_PER_PIXEL = 15.0F;

// The drawing area the window opens with, in pixels.
inline constexpr int DESIGN_WIDTH = 618;
inline constexpr int DESIGN_HEIGHT = 508;

// The widths of a window's frame around its drawing area, in pixels.
struct FrameExtents {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool isNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};

// The frame assumed where the window system reports none: 45 twips at the left, right
// and bottom and a 360-twip caption bar at the top.
inline constexpr FrameExtents ASSUMED_FRAME{3, 24, 3, 3};

// The outer size in twips of a window with the given drawing area and reported frame.
struct OuterSize {
    float width;
    float height;
};

inline OuterSize outerSizeTwips(int areaWidth, int areaHeight, FrameExtents reported)
{
    const FrameExtents frame = reported.isNull() ? ASSUMED_FRAME : reported;
    return {static_cast<float>(areaWidth + frame.left + frame.right) * TWIPS_PER_PIXEL,
            static_cast<float>(areaHeight + frame.top + frame.bottom) * TWIPS_PER_PIXEL};
}

}  // namespace voroquarn
