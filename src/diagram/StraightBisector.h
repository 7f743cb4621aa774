#pragma once

namespace voroquarn {

struct SiteArrays;

// The bisector of two sites of equal weight: the perpendicular bisector of the segment
// between them, the points equally far from both.
class StraightBisector {
public:
    // The bisector of sites i and j (counted from 1).
    StraightBisector(const SiteArrays& sites, int i, int j);

    // Whether the line meets every column once (it is not vertical), and its y there.
    bool crossesColumns() const { return dy_ != 0; }
    double yAt(double x) const { return my_ - (x - mx_) * dx_ / dy_; }

    // Whether the line meets every row once (it is not horizontal), and its x there.
    bool crossesRows() const { return dx_ != 0; }
    double xAt(double y) const { return mx_ - (y - my_) * dy_ / dx_; }

private:
    double mx_;  // midpoint of the two sites
    double my_;
    double dx_;  // direction from site i to site j, the line's normal
    double dy_;
};

}  // namespace voroquarn
