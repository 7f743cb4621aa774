#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "diagram/Nearer.h"
#include "diagram/PairCurve.h"

namespace voroquarn {

// A run of a pair's bisector between two of its parameters (PairCurve), from < to;
// around a circle either may be infinite.
struct Stretch {
    double from;
    double to;
};

// A stretch the search kept, with what ends it on either side: the box or the curve's
// own end (NOT_CUT), or the third site, by its place among the thirds, whose tie with the
// pair cuts it there.
struct CutStretch {
    static constexpr std::int32_t NOT_CUT = -1;

    Stretch stretch;
    std::int32_t fromCut = NOT_CUT;
    std::int32_t toCut = NOT_CUT;
    double middleAt = 0;  // the parameter halfway along it in angle, where it is judged
};

// What the search reuses from one pair to the next, so that it allocates nothing once
// it has met its largest cell.
struct StretchScratch {
    // A part of a stretch between two ties with a third site, and what it holds: the
    // third nearer, the third farther or tied along it, or the third touching the curve.
    enum class Verdict { Drop, Keep, Touch };
    struct Part {
        CutStretch cut;
        Verdict verdict;
    };

    std::vector<double> zeros;
    std::vector<CutStretch> kept;
    std::vector<CutStretch> next;
    std::vector<Part> parts;
};

// The stretches of a pair's bisector inside the box (edges included) along which no
// third site is strictly nearer than the pair, in the order of the parameter, into
// scratch.kept: the pair's part of the diagram there, if the thirds are every site that
// can be nearest in the box. `first` and `second` are the pair's sites, equally near all
// along the curve; each third is weighed against the one nearer to it, whose difference
// from it rounding spoils least (sites an ulp apart tie with the other only by rounding).
//
// The curve inside the box is cut at the box's edges; then, third by third, each
// stretch is cut where the third ties with the pair, and a part is dropped where the
// third is nearer at its middle. The thirds come best first, the nearest at the box's
// centre, so that the pairs without a part in the diagram, most of them, are done with
// after a few: O(k) for most pairs of k thirds, O(k²) at worst. A circle's parameter
// wraps at infinity: a stretch that goes on across the point opposite P comes as two,
// one ending at +infinity and one starting at -infinity.
void keptStretches(const PairCurve& curve, const WeightedSite& first, const WeightedSite& second,
                   std::span<const WeightedSite> thirds,
                   const ClipArea& box, StretchScratch& scratch);

}  // namespace voroquarn
