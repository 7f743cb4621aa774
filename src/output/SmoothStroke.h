#pragma once

#include <span>
#include <unordered_map>

#include "core/Colour.h"
#include "core/PlanePoint.h"

namespace voroquarn {

class PictureRaster;

// Lines drawn smoothly into an indexed picture. Each pixel the line covers takes the
// line's colour over its own by the share covered, in fifteen steps, so that the picture
// keeps a palette: its few colours and their steps towards the line's. Where lines meet
// or overlap, a pixel keeps the larger share, so that the pieces of one boundary join
// without a seam.
class SmoothStroke {
public:
    // Draws the line through the points, in the picture's pixels (each centred on its
    // whole coordinates), `width` pixels wide, with round ends.
    void draw(PictureRaster& raster, std::span<const PlanePoint> points, Colour colour, double width);

    static constexpr int STEPS = 15;

private:
    // A colour the lines made: `base`, `level` fifteenths of the way towards `toward`.
    struct Shade {
        Colour base;
        Colour toward;
        int level;
    };

    void drawSegment(PictureRaster& raster, PlanePoint a, PlanePoint b, Colour colour, double reach);
    void blend(PictureRaster& raster, int x, int y, Colour colour, int level);

    std::unordered_map<Colour, Shade> shades_;
};

}  // namespace voroquarn
