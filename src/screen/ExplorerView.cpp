#include "screen/ExplorerView.h"

#include <algorithm>

namespace voroquarn {

bool ExplorerView::zoomAbout(PlanePoint fixed, double factor)
{
    const double scale = std::clamp(scale_ * factor, LEAST_SCALE, GREATEST_SCALE);
    if (scale == scale_) {
        return false;
    }
    const PlanePoint held = toSites(fixed);
    scale_ = scale;
    origin_ = {held.x - fixed.x / scale_, held.y - fixed.y / scale_};
    return true;
}

void ExplorerView::panBy(double dx, double dy)
{
    origin_.x -= dx / scale_;
    origin_.y -= dy / scale_;
}

void ExplorerView::show(const SiteArrays& sites, SiteArrays& shown) const
{
    shown.resize(sites.N);
    for (std::size_t k = 0; k < static_cast<std::size_t>(sites.N); ++k) {
        const PlanePoint at = toPicture({sites.x[k], sites.y[k]});
        shown.x[k] = at.x;
        shown.y[k] = at.y;
        shown.w[k] = sites.w[k];
    }
}

}  // namespace voroquarn
