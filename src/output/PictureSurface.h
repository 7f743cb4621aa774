#pragma once

#include <algorithm>

#include "core/DrawingSurface.h"
#include "output/Label.h"
#include "output/PictureRaster.h"
#include "output/SmoothStroke.h"

namespace voroquarn {

// The drawing operations common to every surface that keeps its picture in memory: the
// drawing colour, circles, labels and pixels. Window and image surfaces add how the
// picture is shown and how big the window is.
class PictureSurface : public DrawingSurface {
public:
    Colour drawingColour() const override { return drawingColour_; }
    void setDrawingColour(Colour colour) override { drawingColour_ = colour; }

    // Markers and labels antialiased, as the screen saver draws them, the labels in the
    // font grown by the marker scale; aliased, as the design draws them, by default.
    void setSmoothMarks(bool smooth) { smoothMarks_ = smooth; }

    void drawCircle(float x, float y, float radius, Colour colour, float aspect) override
    {
        if (!smoothMarks_) {
            raster_.drawCircle(x, y, radius, colour, aspect);
            return;
        }
        const qreal scale = raster_.markerScale();
        const EllipseRadii radii = ellipseRadii(radius * scale, aspect);
        smooth_.drawRing(raster_, QPointF(x, y), radii.rx, radii.ry, colour, std::max<qreal>(1, scale));
        raster_.moveTo(x, y);
    }
    void moveTo(float x, float y) override { raster_.moveTo(x, y); }
    void drawNumber(double integralValue) override
    {
        if (!smoothMarks_) {
            raster_.printNumber(integralValue, drawingColour_);
            return;
        }
        smooth_.drawText(raster_, raster_.position(), labelText(integralValue),
                         PictureRaster::labelFont(raster_.markerScale(), true), drawingColour_);
    }
    void setPixel(float x, float y, Colour colour) override { raster_.setPixel(x, y, colour); }
    void fillBackground(int y, int left, int right, Colour colour) override
    {
        raster_.fillWhere(y, left, right, BACK_COLOR, colour);
    }
    // A smooth boundary is 1.3 pixels wide at marker scale 1, as bright to the eye as a
    // traced one of a pixel, and grows with the scale.
    void drawSmoothLine(std::span<const PlanePoint> points, Colour colour) override
    {
        smooth_.draw(raster_, points, colour, SMOOTH_WIDTH * raster_.markerScale());
    }

    // The picture as an image; picture() reads it as it is held (see PictureRaster).
    const QImage& image() const { return raster_.image(); }
    const PictureRaster& picture() const { return raster_; }

protected:
    explicit PictureSurface(QSize drawingArea) : raster_(drawingArea) {}

    PictureRaster& raster() { return raster_; }

    // The window's background, which clear shows and a grown picture starts with.
    static constexpr Colour BACK_COLOR = BLACK;
    static constexpr double SMOOTH_WIDTH = 1.3;

private:
    PictureRaster raster_;
    SmoothStroke smooth_;
    Colour drawingColour_ = BLACK;
    bool smoothMarks_ = false;
};

}  // namespace voroquarn
