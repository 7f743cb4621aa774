#pragma once

#include "core/PlanePoint.h"
#include "diagram/SiteArrays.h"

namespace voroquarn {

// What part of the sites' plane the explorer's picture shows, and how large: a point of
// the plane appears at (point - origin) * scale in the picture's pixels. The view at
// start has scale 1 and origin (0, 0), where the picture's pixels are the sites' own
// coordinates, exactly. A multiplicatively weighted diagram keeps its shape under such
// a change, so the picture of a view is the diagram of the sites as it shows them.
class ExplorerView {
public:
    static constexpr double LEAST_SCALE = 1.0 / 64;
    static constexpr double GREATEST_SCALE = 65536;

    double scale() const { return scale_; }
    bool atStart() const { return scale_ == 1 && origin_.x == 0 && origin_.y == 0; }

    PlanePoint toPicture(PlanePoint site) const
    {
        return {(site.x - origin_.x) * scale_, (site.y - origin_.y) * scale_};
    }
    PlanePoint toSites(PlanePoint pixel) const { return {pixel.x / scale_ + origin_.x, pixel.y / scale_ + origin_.y}; }

    // Zooms by `factor` (within the scales allowed) about the picture's point `fixed`,
    // which shows the same point of the plane before and after; false at a limit, where
    // the view stays as it is.
    bool zoomAbout(PlanePoint fixed, double factor);
    // Moves what the picture shows by (dx, dy) of its pixels.
    void panBy(double dx, double dy);
    // Back to the view at start.
    void reset() { *this = ExplorerView(); }

    // The sites as the picture shows them, into `shown`.
    void show(const SiteArrays& sites, SiteArrays& shown) const;

private:
    double scale_ = 1;
    PlanePoint origin_{0, 0};
};

}  // namespace voroquarn
