#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/Steps.h"
#include "diagram/SiteArrays.h"
#include "diagram/SiteFile.h"
#include "diagram/labelsThatFit.h"
#include "diagram/makeSites.h"

namespace voroquarn {

class DrawingSurface;
class Progress;
class RandomSource;

// How a picture looks.
enum class Look {
    // As the design draws it: each site marked as it is placed, its label at the site.
    Design,
    // As the screen saver shows it: every site marked once all are placed (over the
    // fill, when filled), each label beside its marker where it overlaps no other
    // (labelsBeside), and the fill in the saver's palette (SAVER_PALETTE).
    Saver,
};

// Where a run takes its sites from, and who hears of them.
struct RunSettings {
    // The sites to draw, in order; empty: 4 to 9 random sites.
    std::vector<Site> givenSites;
    // Called once the sites are placed and marked, in their order of placement.
    std::function<void(const SiteArrays&)> onSitesPlaced;
    // How far random sites keep from the edges of the window's extent.
    SiteMargins margins = DESIGN_MARGINS;
    // Fill every site's region with its own colour before the boundaries are traced.
    bool fill = false;
    // With no given sites: place this many random sites instead of 4 to 9.
    std::optional<int> count;
    // Mark each site with its circle, and label it with its weight.
    bool markers = true;
    bool labels = true;
    // How large markers and labels are drawn, for the room labels need among many sites.
    MarkSizes markSizes;
    Look look = Look::Design;
    // Draw the boundaries smoothly along their exact pieces (drawPieces) instead of
    // tracing them pixel by pixel.
    bool smooth = false;
    // Say how many Steps the drawing takes (Steps::StepsAhead) once its preparations are
    // done, for a driver that paces it by its duration.
    bool sayStepsAhead = false;
    // Told how far the diagram, the fill and the tracing have got, if anyone asks.
    Progress* progress = nullptr;
};

// The pairs (i, j) of the sites 1..N with i < j, in the order (1,2), (1,3), ..., (1,N),
// (2,3), ..., (N-1,N): for (const auto [i, j] : SitePairs(N)).
class SitePairs {
public:
    struct Pair {
        int i;
        int j;
    };

    class Iterator {
    public:
        Iterator(std::int16_t N, std::int16_t i, std::int32_t j) : N_(N), i_(i), j_(j) {}
        Pair operator*() const { return {i_, j_}; }
        Iterator& operator++()
        {
            if (++j_ > N_) {
                ++i_;
                j_ = i_ + 1;
            }
            return *this;
        }
        bool operator==(const Iterator& other) const { return i_ == other.i_ && j_ == other.j_; }

    private:
        std::int16_t N_;
        std::int16_t i_;
        std::int32_t j_;
    };

    explicit SitePairs(std::int16_t N) : N_(N) {}
    Iterator begin() const { return N_ >= 2 ? Iterator(N_, 1, 2) : end(); }
    Iterator end() const { return {N_, N_, N_ + 1}; }

private:
    std::int16_t N_;
};

// The run's first steps, up to its sites: shows the window, seeds the random numbers,
// clears the window, places the sites, marks them (but where there are more than
// MAX_SITES of them) and tells settings.onSitesPlaced of them. Returns the sites in their
// order of placement, unsorted. drawDiagram starts with it; the vector output takes its
// sites from it, exactly as a picture would get them.
SiteArrays placeRunSites(DrawingSurface& window, RandomSource& random, const RunSettings& settings);

// The whole drawing: shows and clears the window, seeds the random numbers, places and
// marks the sites, sorts them by weight, fills their regions (settings.fill, around the
// markers, which stay) and traces the bisector of every pair, lighter site first, or
// draws the pieces (settings.smooth). It yields at every row of the fill and step of the
// tracing, and nowhere else; settings.sayStepsAhead says how many before the first.
// More than MAX_SITES sites are marked once all are placed, and their diagram
// (WeightedDiagram) is found in Work slices; then only the pairs that share a boundary
// are traced, in the cells where they do. In the saver's look (Look::Saver) any number of
// sites is marked once all are placed (markPlacedSites), after the fill when there is
// one. The settings are taken by value: it runs long after the call.
Steps drawDiagram(DrawingSurface& window, RandomSource& random, RunSettings settings = {});

// Marks the sites as the run marks more than MAX_SITES of them, or any number in the
// saver's look, once all are placed: every marker, then the labels there is room for
// (labelsThatFit, or labelsBeside in the saver's look), in their order of placement,
// yielding Work slices. `placed` must outlive the drawing.
Steps markPlacedSites(DrawingSurface& window, const SiteArrays& placed, const RunSettings& settings);

// How many sites a run of these settings places: the given ones, or the count asked
// for, or 4 to 9 (reported as 9).
std::int32_t sitesToPlace(const RunSettings& settings);

}  // namespace voroquarn
