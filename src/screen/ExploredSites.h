#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "diagram/SiteArrays.h"
#include "diagram/SiteFile.h"

namespace voroquarn {

// The explorer's sites as the user edits them, in their order of placement, each with an
// id that stays with it through its changes; every edit can be undone and redone. They
// know the sites last saved (at first the sites they started with), to tell whether
// edits would be lost.
class ExploredSites {
public:
    // Weights the edits keep to: a weight never reaches 0 or infinity.
    static constexpr float LEAST_WEIGHT = 1e-6F;
    static constexpr float GREATEST_WEIGHT = 1e6F;
    // What is said when an edit would go beyond them.
    static constexpr std::string_view WEIGHT_LIMITS = "weights stay within 0.000001 and 1000000";
    // What a turn of the wheel, or + and -, multiplies or divides a weight by.
    static constexpr double WEIGHT_STEP = 1.1;
    // A diagram keeps at least this many sites.
    static constexpr std::int32_t FEWEST_SITES = 2;

    explicit ExploredSites(SiteArrays placed);

    const SiteArrays& sites() const { return sites_; }
    std::span<const std::uint32_t> ids() const { return ids_; }
    std::vector<Site> asSites() const;

    // The site whose centre is nearest to (x, y) and at most `reach` pixels from it;
    // nothing when none is so near. Of several as near, the one the diagram gives the
    // point to among them, by the rule of nearestSite.
    std::optional<std::int32_t> siteAt(double x, double y, double reach) const;
    // The site whose region holds (x, y), as the picture has it (regionHolding): of
    // least distance over weight; on a tie the first sorted by weight as the drawing
    // sorts them, and of exact copies the first placed, the one with their region.
    std::int32_t nearestSite(double x, double y) const;

    // Moves site k while a drag goes on; the whole drag becomes one edit at endMove, or
    // at the next edit of any kind.
    void moveTo(std::int32_t k, double x, double y);
    void endMove();
    // Multiplies site k's weight by WEIGHT_STEP, or divides it, within LEAST_WEIGHT and
    // GREATEST_WEIGHT; a weight beyond them (from a site file) only moves towards them.
    // False when the weight stays as it is.
    bool scaleWeight(std::int32_t k, bool heavier);
    // Gives site k this weight; false when it has it already.
    bool setWeight(std::int32_t k, float w);
    // A new site at (x, y), placed last, with the weight of the site nearest to it;
    // returns its index.
    std::int32_t add(double x, double y);
    // Takes site k out; false when only FEWEST_SITES are left.
    bool remove(std::int32_t k);

    // Undoes the last edit, or does again the last one undone; false when there is none.
    bool undo();
    bool redo();

    // These sites instead, with new ids and no edits to undo or redo; the sites last
    // saved stay what they were.
    void restart(SiteArrays placed);

    // Notes that these sites, in their order, are saved.
    void noteSaved(const std::vector<Site>& saved);
    // Whether the sites differ from those last saved.
    bool unsaved() const;

private:
    struct Edit {
        enum class Kind { Move, Weight, Add, Remove };
        Kind kind;
        std::int32_t at;  // the site's index
        std::uint32_t id;
        Site before;  // Move, Weight, Remove
        Site after;   // Move, Weight, Add
    };

    void record(const Edit& edit);
    // Takes the edit forward (after) or back (before).
    void apply(const Edit& edit, bool forward);
    void put(std::int32_t k, const Site& site);
    void insert(std::int32_t k, const Site& site, std::uint32_t id);
    void erase(std::int32_t k);
    Site site(std::int32_t k) const;

    SiteArrays sites_;
    std::vector<std::uint32_t> ids_;
    std::uint32_t nextId_ = 0;
    std::vector<Edit> done_;
    std::vector<Edit> undone_;
    std::optional<Edit> moving_;  // the drag going on: where the site was before it
    SiteArrays saved_;
};

// A weight as typed, written as a site file writes one, within the weights the edits keep
// to; or the line that says why it is none.
std::variant<float, std::string> typedWeight(std::string_view text);

}  // namespace voroquarn
