#pragma once

#include <QImage>
#include <QPointF>
#include <vector>

#include "core/DrawingSurface.h"

namespace voroquarn {

// A window that exists only to draw the program's icon at one size. The run draws on it
// as on any window, at a multiple of the icon's size; the icon is that picture painted
// with lines of the asked width, cut to the icon's tile and scaled down, so that its
// lines and edges come out smooth. The regions keep their fill colours, the sites are
// dots, and the weights are left out: no icon size shows digits legibly.
class IconSurface final : public DrawingSurface {
public:
    // The drawing area is iconSize * SUPERSAMPLING pixels square; lineWidth is in pixels
    // of the icon.
    IconSurface(int iconSize, double lineWidth);

    static constexpr int SUPERSAMPLING = 8;
    // A site's dot is this many line widths across.
    static constexpr double SITE_DOT = 1.75;

    void showWindow() override {}
    void clear() override;
    Colour drawingColour() const override { return drawingColour_; }
    void setDrawingColour(Colour colour) override { drawingColour_ = colour; }
    float outerWidth() const override;
    float outerHeight() const override;
    void drawCircle(float x, float y, float radius, Colour colour, float aspect) override;
    void moveTo(float /*x*/, float /*y*/) override {}
    void drawNumber(double /*integralValue*/) override {}
    void setPixel(float x, float y, Colour colour) override;
    void fillBackground(int y, int left, int right, Colour colour) override;
    // The icon's boundaries are traced, supersampled; it is never drawn smoothly.
    void drawSmoothLine(std::span<const PlanePoint> /*points*/, Colour /*colour*/) override {}
    bool keepResponsive() override { return true; }

    // The icon: what was drawn since the last clear, at the icon's size, transparent
    // outside its tile.
    QImage icon() const;

private:
    struct Mark {
        QPointF at;
        Colour colour;
    };
    // Pixels left to right on one row of the drawing area.
    struct Span {
        int y;
        int left;
        int right;
        Colour colour;
    };

    int iconSize_;
    double lineWidth_;
    Colour drawingColour_ = BLACK;
    std::vector<Mark> sites_;
    std::vector<Mark> points_;
    std::vector<Span> spans_;
};

}  // namespace voroquarn
