#include "output/ImageSurface.h"

#include "core/WindowMetrics.h"

namespace voroquarn {

ImageSurface::ImageSurface(QSize drawingArea) : PictureSurface(drawingArea) {}

void ImageSurface::clear() { raster().fill(BACK_COLOR); }

float ImageSurface::outerWidth() const
{
    return outerSize(picture().size().width(), picture().size().height()).width;
}

float ImageSurface::outerHeight() const
{
    return outerSize(picture().size().width(), picture().size().height()).height;
}

bool ImageSurface::keepResponsive()
{
    // Nothing to show: the image is the output. Forgetting the changes keeps the record
    // from growing over a long run.
    raster().forgetChanges();
    return true;
}

}  // namespace voroquarn
