#pragma once

#include "core/DrawingSurface.h"
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

    void drawCircle(float x, float y, float radius, Colour colour, float aspect) override
    {
        raster_.drawCircle(x, y, radius, colour, aspect);
    }
    void moveTo(float x, float y) override { raster_.moveTo(x, y); }
    void drawNumber(double integralValue) override { raster_.printNumber(integralValue, drawingColour_); }
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
};

}  // namespace voroquarn
