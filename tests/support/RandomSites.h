#pragma once

#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include "diagram/SiteArrays.h"

namespace voroquarn::testing {

// Random sites in a window of the given outer size (pixels) that favour the hard cases:
// equal weights, weights one float apart or nearly equal, and sites at, next to, or in
// line with the place of another.
inline SiteArrays randomSites(std::mt19937& engine, double outerWidth, double outerHeight)
{
    std::uniform_real_distribution<double> unit(0, 1);
    const auto pick = [&](int count) { return static_cast<int>(engine() % static_cast<unsigned>(count)); };
    SiteArrays s;
    s.resize(2 + pick(8));
    for (int k = 0; k < s.N; ++k) {
        s.x[k] = (outerWidth - 30) * unit(engine) + 15;
        s.y[k] = (outerHeight - 30) * unit(engine) + 15;
        s.w[k] = static_cast<float>(999 * unit(engine) + 1);
        if (k == 0) {
            continue;
        }
        const int other = pick(k);
        const double place = unit(engine);
        if (place < 0.1) {
            s.x[k] = s.x[other];
            s.y[k] = s.y[other];
        } else if (place < 0.2) {
            s.x[k] = s.x[other] + 1e-4;
            s.y[k] = s.y[other] - 1e-4;
        } else if (place < 0.3) {
            s.y[k] = s.y[other];  // in one row: a flat circle's end lies in the window
        } else if (place < 0.4) {
            s.x[k] = s.x[other];
        }
        const double weight = unit(engine);
        if (weight < 0.15) {
            s.w[k] = s.w[other];
        } else if (weight < 0.3) {
            s.w[k] = std::nextafter(s.w[other], 2000.0F);
        } else if (weight < 0.4) {
            s.w[k] = s.w[other] * 1.00001F;
        }
    }
    return s;
}

// The sites as a reproducer: every value to the last bit.
inline std::string describe(const SiteArrays& s)
{
    std::ostringstream out;
    out.precision(17);
    for (int k = 0; k < s.N; ++k) {
        out << "(" << s.x[k] << ", " << s.y[k] << ", w " << s.w[k] << ") ";
    }
    return out.str();
}

}  // namespace voroquarn::testing
