#pragma once

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QString>
#include <span>
#include <unordered_map>

#include "core/Colour.h"
#include "core/PlanePoint.h"

namespace voroquarn {

class PictureRaster;

// Lines, rings and text drawn smoothly into an indexed picture: lines by each pixel's
// distance to them, rings and text painted antialiased by Qt into a mask. Each pixel they
// cover takes their colour over its own by the share covered, in fifteen steps, so that the picture keeps a palette:
// its few colours and their steps towards the line's. Where lines meet or overlap, a
// pixel keeps the larger share, so that the pieces of one boundary join without a seam.
class SmoothStroke {
public:
    // Draws the line through the points, in the picture's pixels (each centred on its
    // whole coordinates), `width` pixels wide, with round ends.
    void draw(PictureRaster& raster, std::span<const PlanePoint> points, Colour colour, double width);
    // The outline of the ellipse of radii rx and ry around the centre, `width` pixels wide.
    void drawRing(PictureRaster& raster, QPointF centre, double rx, double ry, Colour colour, double width);
    // The text in the font, its top-left corner at `corner`.
    void drawText(PictureRaster& raster, QPointF corner, const QString& text, const QFont& font, Colour colour);

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
    // Paints with paint(painter, origin) into the mask over the part of the picture that
    // `wanted` covers, whose top-left pixel is `origin`, and blends the colour in by the
    // mask.
    template <class Paint>
    void blendPainted(PictureRaster& raster, const QRectF& wanted, Colour colour, Paint&& paint);

    std::unordered_map<Colour, Shade> shades_;
    QImage mask_;
};

}  // namespace voroquarn
