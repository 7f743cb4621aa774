#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <vector>

#include "window/Colour.h"

namespace voroquarn {

// The picture in memory, with the drawing operations the program uses and a record of
// what changed since the changes were last taken, so that a window can put exactly
// those pixels on screen.
class PictureRaster {
public:
    explicit PictureRaster(QSize size);

    const QImage& image() const { return image_; }
    QSize size() const { return image_.size(); }

    // Enlarges the picture to at least `size`, keeping what is drawn; new pixels are
    // filled with `background`.
    void growTo(QSize size, Colour background);
    // Makes the picture exactly `size`, all of it `background`.
    void clearTo(QSize size, Colour background);

    // Circles and labels are drawn this many times their size in pixels: the screen's
    // device-pixel ratio, for a picture in device pixels. 1 by default.
    void setMarkerScale(qreal scale) { markerScale_ = scale; }
    qreal markerScale() const { return markerScale_; }
    // The box, relative to the centre, that a circle of this radius and the widest
    // label of up to three digits cover together at the given marker scale.
    static QRectF markerBox(float radius, qreal scale);

    void fill(Colour colour);
    // The pixel nearest to (x, y); nothing outside the picture.
    void setPixel(float x, float y, Colour colour);
    // A one-pixel aliased outline; the drawing position moves to the centre.
    void drawCircle(float x, float y, float radius, Colour colour, float aspect);
    // Digits of an integral value in the default font, without smoothing, top-left
    // corner at the drawing position.
    void printNumber(double value, Colour colour);

    // Calls each(rect) for every area changed since the last call, then forgets them.
    template <class Each>
    void takeChanges(Each&& each)
    {
        for (const QRect& rect : changed_) {
            each(rect);
        }
        changed_.clear();
    }
    bool hasChanges() const { return !changed_.empty(); }
    void forgetChanges() { changed_.clear(); }

private:
    void markChanged(const QRect& rect);

    QImage image_;
    qreal markerScale_ = 1;
    QPointF position_;
    std::vector<QRect> changed_;
};

}  // namespace voroquarn
