#pragma once

#include <QImage>
#include <QPointF>
#include <span>
#include <unordered_map>
#include <vector>

#include "core/Colour.h"
#include "core/PlanePoint.h"

namespace voroquarn {

class PictureRaster;

// Lines drawn smoothly into an indexed picture. Qt paints the line antialiased into a
// mask of its own; each pixel it covers then takes the line's colour over its own by
// the share covered, in fifteen steps, so that the picture keeps a palette: its few
// colours and their steps towards the line's. Where lines meet or overlap, a pixel
// keeps the larger share, so that the pieces of one boundary join without a seam.
class SmoothStroke {
public:
    // Draws the line through the points, in the picture's pixels (each centred on its
    // whole coordinates), `width` pixels wide.
    void draw(PictureRaster& raster, std::span<const PlanePoint> points, Colour colour, double width);

    static constexpr int STEPS = 15;

private:
    // A colour the lines made: `base`, `level` fifteenths of the way towards `toward`.
    struct Shade {
        Colour base;
        Colour toward;
        int level;
    };

    std::unordered_map<Colour, Shade> shades_;
    QImage mask_;
    std::vector<QPointF> polyline_;
};

}  // namespace voroquarn
