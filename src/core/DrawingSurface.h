#pragma once

#include <span>

#include "core/Colour.h"
#include "core/PlanePoint.h"

namespace voroquarn {

// The operations the drawing run uses on its window. The Qt window implements them on
// screen, ImageSurface in memory, and the tests record them.
//
// Coordinates are pixels with the origin at the drawing area's top-left pixel;
// outerWidth and outerHeight are the window's outer extent in pixels: the outer size of a
// window of the design frame around its drawing area, or the picture's own size for a
// window that fits its picture to itself.
class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    // Puts the window on screen; returns once it is there, without waiting for the user.
    virtual void showWindow() = 0;
    // Repaints the whole window, which then shows its plain background.
    virtual void clear() = 0;

    virtual Colour drawingColour() const = 0;
    virtual void setDrawingColour(Colour colour) = 0;

    virtual float outerWidth() const = 0;
    virtual float outerHeight() const = 0;

    // A one-pixel outline of the circle (an ellipse for aspect != 1), not filled.
    // Leaves the current drawing position at the centre.
    virtual void drawCircle(float x, float y, float radius, Colour colour, float aspect) = 0;
    // Moves the current drawing position, as drawCircle does, without drawing.
    virtual void moveTo(float x, float y) = 0;
    // The decimal digits of an integral value, top-left corner at the current drawing
    // position, in the drawing colour.
    virtual void drawNumber(double integralValue) = 0;
    // Sets the pixel nearest to (x, y); points outside the drawing area set nothing.
    virtual void setPixel(float x, float y, Colour colour) = 0;
    // Sets the pixels of row y from column left up to, not including, column right that
    // still show the window's background; what was drawn on them stays. Pixels outside
    // the drawing area set nothing.
    virtual void fillBackground(int y, int left, int right, Colour colour) = 0;

    // A line through the points, antialiased, as wide as a boundary of the picture (a
    // pixel at marker scale 1), in the colour over what is drawn: each pixel takes as
    // much of the colour as the line covers of it, and keeps what it had where an
    // earlier line covered more. For boundaries drawn smoothly along their pieces.
    virtual void drawSmoothLine(std::span<const PlanePoint> points, Colour colour) = 0;

    // Handles pending window events and puts everything drawn so far on screen.
    // Returns false once the window has been closed: from then on nothing more may be
    // drawn, and the caller stops.
    virtual bool keepResponsive() = 0;
};

// The radii of the outline drawCircle draws: the aspect is height over width, and the
// radius belongs to the longer axis.
struct EllipseRadii {
    double rx;
    double ry;
};

inline EllipseRadii ellipseRadii(double radius, double aspect)
{
    return aspect <= 1 ? EllipseRadii{radius, radius * aspect} : EllipseRadii{radius / aspect, radius};
}

}  // namespace voroquarn
