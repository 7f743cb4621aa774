// The reference for many sites: the plain way to draw a weighted Voronoi diagram, every
// pixel testing every site. Labels each pixel centre with the site of least distance
// over weight (squared distances times inverse squared weights, no square root), makes
// a pixel white where its label differs from its right or lower neighbour's, and
// writes the picture as a 1-bit PNG with libpng's defaults. One thread.
//
//   brute_force SITES WIDTHxHEIGHT OUT.png
#include "BoundaryPicture.h"
#include "SiteFile.h"

#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: brute_force SITES WIDTHxHEIGHT OUT.png\n");
        return 2;
    }
    const SiteFile sites = readSiteFile(argv[1]);
    const std::vector<double>& xs = sites.xs;
    const std::vector<double>& ys = sites.ys;
    std::vector<double> inverse;
    for (const double w : sites.weights) {
        inverse.push_back(1 / (w * w));
    }
    int width = 0;
    int height = 0;
    if (xs.empty() || std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || width < 1 || height < 1) {
        std::fprintf(stderr, "brute_force: no sites or a bad size\n");
        return 2;
    }

    const std::size_t n = xs.size();
    std::vector<std::uint32_t> label(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t best = 0;
            double least = 1e300;
            for (std::size_t k = 0; k < n; ++k) {
                const double dx = x - xs[k];
                const double dy = y - ys[k];
                const double r = (dx * dx + dy * dy) * inverse[k];
                if (r < least) {
                    least = r;
                    best = static_cast<std::uint32_t>(k);
                }
            }
            label[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = best;
        }
    }

    if (!writeBoundaryPicture(argv[3], label, width, height)) {
        std::fprintf(stderr, "brute_force: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
