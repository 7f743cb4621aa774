#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voroquarn {

// One site as a site file gives it: position in pixels and weight.
struct Site {
    double x;
    double y;
    float w;
};

// What is wrong with a site file. Line counts from 1; line 0 means the file as a whole.
struct SiteFileError {
    int line;
    std::string message;  // plain lowercase words, without the line number
};

struct SiteFileContents {
    std::vector<Site> sites;
    std::optional<SiteFileError> error;
};

// Lines longer than this, line end not counted, are refused.
inline constexpr int MAX_SITE_FILE_LINE = 4096;

// Parses the text of a site file; on error, sites is empty and error says why.
//
// A site file holds one site or more, in order, one a line as "x y weight": three decimal
// numbers separated by blanks or tabs, with an optional leading '+'. Blank lines and
// lines whose first non-blank character is '#' are ignored; lines end in LF or CRLF. A
// UTF-8 byte order mark at the start of the text is skipped.
// x and y must be finite; the weight must be finite and greater than 0, also once
// narrowed to single precision. Parsing stops at the first fault and does not depend
// on the locale.
SiteFileContents parseSiteFile(std::string_view text);

// One site as a line of a site file, without the line end. Parsing it back gives the
// same x, y and weight, bit for bit.
std::string formatSite(const Site& site);

}  // namespace voroquarn
