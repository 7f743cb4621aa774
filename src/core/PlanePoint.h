#pragma once

namespace voroquarn {

// A point in pixel coordinates: origin at the drawing area's top-left, y growing down.
struct PlanePoint {
    double x;
    double y;
};

}  // namespace voroquarn
