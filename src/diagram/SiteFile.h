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

// A file of more sites than this is refused: as many as --count places.
inline constexpr int MAX_SITE_FILE_SITES = 1'000'000;

// Parses the text of a site file; on error, sites is empty and error says why.
//
// A site file holds one site or more, in order, one a line as "x y weight": three decimal
// numbers separated by blanks or tabs, with an optional leading '+'. Blank lines and
// lines whose first non-blank character is '#' are ignored; lines end in LF or CRLF. A
// UTF-8 byte order mark at the start of the text is skipped.
// x and y must be finite; the weight must be finite and greater than 0, also once
// narrowed to single precision. Parsing stops at the first fault and does not depend
// on the locale. More than MAX_SITE_FILE_SITES sites are refused at the line of the first
// one too many.
SiteFileContents parseSiteFile(std::string_view text);

// Parses a site file as its bytes arrive, as parseSiteFile parses it whole: each line as
// soon as it ends, and a line too long as soon as it is, so that a file that is no site
// file is refused without reading on. Holds the sites and at most one line besides.
class SiteFileReader {
public:
    // Takes the next bytes of the file; false once the file is refused, when there is no
    // need to read on.
    bool read(std::string_view bytes);
    // The file has ended: its sites, or the error of the whole file.
    SiteFileContents finish();

private:
    void take(std::string_view line);
    void keepPart(std::string_view bytes);
    void refuse(int line, std::string message);

    SiteFileContents contents_;
    std::string partLine_;  // the bytes of a line whose end has not come yet
    int lineNumber_ = 0;
    bool refused_ = false;
};

// One site as a line of a site file, without the line end. Parsing it back gives the
// same x, y and weight, bit for bit.
std::string formatSite(const Site& site);

}  // namespace voroquarn
