#pragma once

namespace voroquarn {

struct SiteArrays;

// The weighted bisector of two sites of different weight: the circle of points whose
// distances to the two sites are in the ratio of their weights. It encloses the lighter
// site and crosses the segment between the sites where it divides it as wi : wj.
struct ApolloniusCircle {
    double cx;
    double cy;
    double R;

    // Half the length of the chord at the given offset from the centre, sqrt(R² - d²),
    // or 0 where the offset lies beyond the circle.
    double halfChordAt(double d) const;
};

// The bisector circle of sites i and j (counted from 1), where w(i) < w(j).
ApolloniusCircle apolloniusCircle(const SiteArrays& sites, int i, int j);

}  // namespace voroquarn
