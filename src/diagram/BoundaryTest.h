#pragma once

#include <array>

#include "diagram/SiteArrays.h"

namespace voroquarn {

// Decides which points of the bisector of sites i and j belong to the diagram: those at
// which no third site is nearer in the weighted sense (distance divided by weight).
// Prepared once per pair so that each test touches only the third sites.
class BoundaryTest {
public:
    // Sites i and j counted from 1; site i is the reference.
    BoundaryTest(const SiteArrays& sites, int i, int j);

    // True unless some third site's ratio is strictly below site i's ratio at (px, py).
    // Site j's ratio is not computed: on the bisector it equals site i's.
    bool isBoundaryPoint(double px, double py) const;

    // The third sites the test compares with: every site but i, j and exact copies of
    // them, n from 0 to thirdCount() - 1.
    struct Site {
        double x;
        double y;
        double w;
    };
    int thirdCount() const { return thirdCount_; }
    Site third(int n) const { return {thirdX_[n], thirdY_[n], thirdW_[n]}; }

private:
    double xi_;
    double yi_;
    double wi_;
    int thirdCount_ = 0;
    std::array<double, MAX_SITES> thirdX_{};
    std::array<double, MAX_SITES> thirdY_{};
    std::array<double, MAX_SITES> thirdW_{};
};

}  // namespace voroquarn
