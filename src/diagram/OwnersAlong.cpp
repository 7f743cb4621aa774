#include "diagram/OwnersAlong.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace voroquarn {

namespace {

// w_g² |p - f|² - w_f² |p - g|² along p = a + t d, as a quadratic in t: negative where f
// is nearer than g.
struct Tie {
    double a2;
    double a1;
    double a0;

    Tie(PlanePoint a, PlanePoint d, const WeightedSite& f, const WeightedSite& g)
    {
        const double fx = a.x - f.x;
        const double fy = a.y - f.y;
        const double gx = a.x - g.x;
        const double gy = a.y - g.y;
        const double wf2 = f.w * f.w;
        const double wg2 = g.w * g.w;
        a2 = (wg2 - wf2) * (d.x * d.x + d.y * d.y);
        a1 = 2 * (wg2 * (d.x * fx + d.y * fy) - wf2 * (d.x * gx + d.y * gy));
        a0 = wg2 * (fx * fx + fy * fy) - wf2 * (gx * gx + gy * gy);
    }

    double at(double t) const { return (a2 * t + a1) * t + a0; }

    // Its zeros strictly between from and to, ascending.
    int zerosBetween(double from, double to, std::array<double, 2>& zeros) const
    {
        std::array<double, 2> roots{};
        int count = 0;
        if (a2 == 0) {
            if (a1 != 0) {
                roots[count++] = -a0 / a1;
            }
        } else {
            const double discriminant = a1 * a1 - 4 * a2 * a0;
            if (discriminant >= 0) {
                const double q = -(a1 + std::copysign(std::sqrt(discriminant), a1)) / 2;
                roots[count++] = q / a2;
                if (q != 0) {
                    roots[count++] = a0 / q;
                }
            }
        }
        int inside = 0;
        for (int n = 0; n < count; ++n) {
            if (roots[n] > from && roots[n] < to) {
                zeros[inside++] = roots[n];
            }
        }
        if (inside == 2 && zeros[0] > zeros[1]) {
            std::swap(zeros[0], zeros[1]);
        }
        return inside;
    }
};

// Appends a run to the envelope that starts at `first` in `out`, joined to its last run
// where that has the same site.
void append(std::vector<OwnerRun>& out, std::size_t first, std::int32_t site, double to)
{
    if (out.size() > first && out.back().site == site) {
        out.back().to = to;
    } else {
        out.push_back({site, to});
    }
}

// The envelope of two envelopes: through both runs' ends in step, and within each stretch
// where one site of each holds, through the places where those two tie.
void merge(PlanePoint a, PlanePoint d, std::span<const WeightedSite> sites, std::span<const OwnerRun> x,
           std::span<const OwnerRun> y, std::vector<OwnerRun>& out)
{
    const std::size_t first = out.size();
    std::size_t i = 0;
    std::size_t j = 0;
    double from = 0;
    while (i < x.size() && j < y.size()) {
        const double to = std::min(x[i].to, y[j].to);
        const std::int32_t f = x[i].site;
        const std::int32_t g = y[j].site;
        const Tie tie(a, d, sites[static_cast<std::size_t>(f)], sites[static_cast<std::size_t>(g)]);
        std::array<double, 2> zeros{};
        const int count = tie.zerosBetween(from, to, zeros);
        double start = from;
        for (int n = 0; n <= count; ++n) {
            const double end = n < count ? zeros[static_cast<std::size_t>(n)] : to;
            if (end > start) {
                append(out, first, tie.at(start + (end - start) / 2) <= 0 ? f : g, end);
            }
            start = end;
        }
        from = to;
        i += x[i].to == to ? 1 : 0;
        j += y[j].to == to ? 1 : 0;
    }
}

}  // namespace

void ownersAlong(PlanePoint a, PlanePoint b, std::span<const WeightedSite> sites, std::span<const std::int32_t> ids,
                 std::vector<OwnerRun>& runs, OwnersScratch& scratch)
{
    runs.clear();
    if (sites.empty()) {
        return;
    }
    const PlanePoint d{b.x - a.x, b.y - a.y};
    // Each site alone owns the whole segment; then pairs of envelopes are merged, level
    // by level, until one is left.
    std::vector<OwnerRun>& level = scratch.runs;
    std::vector<std::size_t>& starts = scratch.starts;
    level.clear();
    starts.clear();
    for (std::size_t k = 0; k < sites.size(); ++k) {
        starts.push_back(level.size());
        level.push_back({static_cast<std::int32_t>(k), 1.0});
    }
    starts.push_back(level.size());
    while (starts.size() > 2) {
        std::vector<OwnerRun>& merged = scratch.merged;
        std::vector<std::size_t>& mergedStarts = scratch.mergedStarts;
        merged.clear();
        mergedStarts.clear();
        const std::size_t envelopes = starts.size() - 1;
        for (std::size_t e = 0; e < envelopes; e += 2) {
            mergedStarts.push_back(merged.size());
            const std::span<const OwnerRun> x(level.data() + starts[e], starts[e + 1] - starts[e]);
            if (e + 1 == envelopes) {
                merged.insert(merged.end(), x.begin(), x.end());
                continue;
            }
            const std::span<const OwnerRun> y(level.data() + starts[e + 1], starts[e + 2] - starts[e + 1]);
            merge(a, d, sites, x, y, merged);
        }
        mergedStarts.push_back(merged.size());
        std::swap(level, merged);
        std::swap(starts, mergedStarts);
    }
    for (const OwnerRun& run : level) {
        runs.push_back({ids[static_cast<std::size_t>(run.site)], run.to});
    }
}

}  // namespace voroquarn
