#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "diagram/SiteFile.h"

namespace voroquarn::testing {

inline bool sameBits(const Site& a, const Site& b)
{
    return std::bit_cast<std::uint64_t>(a.x) == std::bit_cast<std::uint64_t>(b.x) &&
           std::bit_cast<std::uint64_t>(a.y) == std::bit_cast<std::uint64_t>(b.y) &&
           std::bit_cast<std::uint32_t>(a.w) == std::bit_cast<std::uint32_t>(b.w);
}

// What must hold for any text and what parseSiteFile made of it: either an error on one
// of the text's lines (or line 0) and no sites, or usable sites, one for each line that
// holds one at most, that read back the same once written out again. Returns what does not hold, or nothing.
inline std::string brokenSiteFileInvariant(std::string_view text, const SiteFileContents& contents)
{
    if (contents.error) {
        const auto lines = std::count(text.begin(), text.end(), '\n') +
                           (text.empty() || text.back() == '\n' ? 0 : 1);
        if (!contents.sites.empty()) {
            return "sites together with an error";
        }
        if (contents.error->line < 0 || contents.error->line > lines) {
            return "error on line " + std::to_string(contents.error->line) + " of " + std::to_string(lines);
        }
        if (contents.error->message.empty()) {
            return "error without a message";
        }
        return {};
    }
    const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
    if (contents.sites.empty() || static_cast<std::ptrdiff_t>(contents.sites.size()) > lines) {
        return std::to_string(contents.sites.size()) + " sites";
    }
    std::string written;
    for (const Site& site : contents.sites) {
        if (!std::isfinite(site.x) || !std::isfinite(site.y) || !std::isfinite(site.w) || !(site.w > 0)) {
            return "unusable site " + formatSite(site);
        }
        written += formatSite(site) + '\n';
    }
    const SiteFileContents again = parseSiteFile(written);
    if (again.error || again.sites.size() != contents.sites.size() ||
        !std::equal(again.sites.begin(), again.sites.end(), contents.sites.begin(), sameBits)) {
        return "sites read differently once written out: " + written;
    }
    return {};
}

}  // namespace voroquarn::testing
