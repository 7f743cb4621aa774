// The fastest exact per-pixel reference: brute_force's labels, found block by block.
// The picture is halved, its longer side first, into blocks down to 64 pixels. Each
// block keeps those of its parent's sites that can win one of its pixels: a site whose
// least value over the block (its squared distance to the block's nearest pixel centre
// times its inverse squared weight) exceeds the least of all sites' greatest values
// (the same to the block's farthest corner) wins nowhere in it. The pixels of a last
// block then test only its sites, with brute_force's very formula and tie rule, so the
// picture is brute_force's, byte for byte. One thread.
//
//   block_labeller SITES WIDTHxHEIGHT OUT.png [LEAF]     (LEAF: the pixels of a last block, 64)
#include "BoundaryPicture.h"
#include "SiteFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

struct Block {
    int x0;
    int y0;
    int x1; // past the last column
    int y1; // past the last row
};

class Labeller {
public:
    Labeller(const SiteFile& sites, int width, int height, int leaf)
        : width_(width), leaf_(leaf), xs_(sites.xs), ys_(sites.ys), inverse_(sites.xs.size()),
          label_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)), kept_(64)
    {
        for (std::size_t k = 0; k < inverse_.size(); ++k) {
            inverse_[k] = 1 / (sites.weights[k] * sites.weights[k]);
        }
    }

    std::vector<std::uint32_t> run(int height)
    {
        std::vector<std::uint32_t> all(xs_.size());
        for (std::size_t k = 0; k < all.size(); ++k) {
            all[k] = static_cast<std::uint32_t>(k);
        }
        label(Block{0, 0, width_, height}, all, 0);
        return std::move(label_);
    }

private:
    // The pixel-centre coordinate of [first, last] nearest to / farthest from c. Rounding
    // is monotonic, so a value computed there the pixels' way bounds every pixel's.
    static double nearest(double c, int first, int last) { return c < first ? first : c > last ? last : c; }
    static double farthest(double c, int first, int last) { return c - first > last - c ? first : last; }

    void label(const Block& block, const std::vector<std::uint32_t>& parent, std::size_t depth)
    {
        const int lastX = block.x1 - 1;
        const int lastY = block.y1 - 1;
        double leastUpper = std::numeric_limits<double>::infinity();
        for (const std::uint32_t k : parent) {
            const double dx = farthest(xs_[k], block.x0, lastX) - xs_[k];
            const double dy = farthest(ys_[k], block.y0, lastY) - ys_[k];
            const double upper = (dx * dx + dy * dy) * inverse_[k];
            leastUpper = upper < leastUpper ? upper : leastUpper;
        }
        // A margin of 2^-30 relative, far above any rounding, covers a compiler that would
        // fuse the pixels' multiply-add differently from the bounds'.
        const double bound = leastUpper * (1 + 0x1p-30);
        std::vector<std::uint32_t>& kept = kept_[depth];
        kept.clear();
        for (const std::uint32_t k : parent) {
            const double dx = nearest(xs_[k], block.x0, lastX) - xs_[k];
            const double dy = nearest(ys_[k], block.y0, lastY) - ys_[k];
            if ((dx * dx + dy * dy) * inverse_[k] <= bound) {
                kept.push_back(k); // in the parent's order: the lowest index still wins a tie
            }
        }

        const int w = block.x1 - block.x0;
        const int h = block.y1 - block.y0;
        if (static_cast<long long>(w) * h <= leaf_) { // a seventh of the work of 64 a side at 10^5 sites
            labelPixels(block, kept);
        } else if (w >= h) {
            const int middle = block.x0 + w / 2;
            label(Block{block.x0, block.y0, middle, block.y1}, kept, depth + 1);
            label(Block{middle, block.y0, block.x1, block.y1}, kept, depth + 1);
        } else {
            const int middle = block.y0 + h / 2;
            label(Block{block.x0, block.y0, block.x1, middle}, kept, depth + 1);
            label(Block{block.x0, middle, block.x1, block.y1}, kept, depth + 1);
        }
    }

    // brute_force's loop over the block's sites only, their coordinates side by side.
    void labelPixels(const Block& block, const std::vector<std::uint32_t>& sites)
    {
        const std::size_t n = sites.size();
        siteX_.resize(n);
        siteY_.resize(n);
        siteInverse_.resize(n);
        rowDy2_.resize(n);
        for (std::size_t c = 0; c < n; ++c) {
            siteX_[c] = xs_[sites[c]];
            siteY_[c] = ys_[sites[c]];
            siteInverse_[c] = inverse_[sites[c]];
        }
        for (int y = block.y0; y < block.y1; ++y) {
            for (std::size_t c = 0; c < n; ++c) {
                const double dy = y - siteY_[c];
                rowDy2_[c] = dy * dy;
            }
            std::uint32_t* line = &label_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)];
            for (int x = block.x0; x < block.x1; ++x) {
                std::size_t best = 0;
                double least = 1e300;
                for (std::size_t c = 0; c < n; ++c) {
                    const double dx = x - siteX_[c];
                    const double r = (dx * dx + rowDy2_[c]) * siteInverse_[c];
                    if (r < least) {
                        least = r;
                        best = c;
                    }
                }
                // No site under brute_force's start of 1e300 leaves its label at site 0.
                line[x] = least < 1e300 ? sites[best] : 0;
            }
        }
    }

    int width_;
    int leaf_;
    const std::vector<double>& xs_;
    const std::vector<double>& ys_;
    std::vector<double> inverse_;
    std::vector<std::uint32_t> label_;
    // One list for each depth, reused; halving two int sides goes at most 62 deep.
    std::vector<std::vector<std::uint32_t>> kept_;
    std::vector<double> siteX_;
    std::vector<double> siteY_;
    std::vector<double> siteInverse_;
    std::vector<double> rowDy2_;
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: block_labeller SITES WIDTHxHEIGHT OUT.png [LEAF]\n");
        return 2;
    }
    const SiteFile sites = readSiteFile(argv[1]);
    int width = 0;
    int height = 0;
    int leaf = 64;
    if (sites.xs.empty() || std::sscanf(argv[2], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 ||
        (argc == 5 && (std::sscanf(argv[4], "%d", &leaf) != 1 || leaf < 1))) {
        std::fprintf(stderr, "block_labeller: no sites, a bad size or a bad leaf\n");
        return 2;
    }
    Labeller labeller(sites, width, height, leaf);
    if (!writeBoundaryPicture(argv[3], labeller.run(height), width, height)) {
        std::fprintf(stderr, "block_labeller: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
