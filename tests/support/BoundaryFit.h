#pragma once

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "diagram/SiteArrays.h"
#include "support/NearestSite.h"

namespace voroquarn::testing {

// How well a smooth white-on-black picture of a diagram shows the diagram of the sites,
// against the brute force: its bright pixels that lie farther than a pixel from any
// boundary (stray), and the boundary pixels with no lit pixel within a pixel (unlit).
// Markers and labels are left out: a box 45 px to the left and right of each site and
// 25 above and below it, where a label beside its marker may stand. Antialiasing makes a line a pixel or two wide and its ends
// dim, which the reaches allow for.
struct BoundaryFit {
    int stray = 0;
    int unlit = 0;
};

inline BoundaryFit boundaryFit(const QImage& picture, const SiteArrays& sites)
{
    const int width = picture.width();
    const int height = picture.height();
    std::vector<std::uint8_t> labels;
    labelNearestSites(sites, 0, 0, width, height,
                      [&](int s, double x, double y) { return weightedRatio(sites, s, x, y); }, labels);
    const auto label = [&](int x, int y) { return labels[static_cast<std::size_t>(y * width + x)]; };
    const auto isBoundary = [&](int x, int y) {
        return x >= 0 && y >= 0 && x + 1 < width && y + 1 < height &&
               (label(x, y) != label(x + 1, y) || label(x, y) != label(x, y + 1));
    };
    const auto marked = [&](int x, int y) {
        for (int s = 0; s < sites.N; ++s) {
            if (std::abs(x - sites.x[s]) <= 45 && std::abs(y - sites.y[s]) <= 25) {
                return true;
            }
        }
        return false;
    };
    const auto anyAround = [](int x, int y, const auto& holds) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (holds(x + dx, y + dy)) {
                    return true;
                }
            }
        }
        return false;
    };
    BoundaryFit fit;
    for (int y = 1; y + 1 < height; ++y) {
        for (int x = 1; x + 1 < width; ++x) {
            if (marked(x, y)) {
                continue;
            }
            const QRgb p = picture.pixel(x, y);
            if (std::min({qRed(p), qGreen(p), qBlue(p)}) >= 100 && !anyAround(x, y, isBoundary)) {
                ++fit.stray;
            }
            if (isBoundary(x, y) && !anyAround(x, y, [&](int u, int v) { return qGreen(picture.pixel(u, v)) >= 64; })) {
                ++fit.unlit;
            }
        }
    }
    return fit;
}

}  // namespace voroquarn::testing
