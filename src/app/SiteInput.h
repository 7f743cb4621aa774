#pragma once

#include <string>
#include <variant>
#include <vector>

#include "diagram/SiteFile.h"

namespace voroquarn {

// Reads and parses a site file, or standard input for "-", to its end: a pipe is read
// until its writer closes it, however slowly the sites come. Reading stops at the first
// fault, and a regular file of more than 1 GiB is refused by its size, unread. The name
// is bytes, used as given. An error is one line that names the file, and the line of
// the file where it is about one.
std::variant<std::vector<Site>, std::string> loadSites(const std::string& path);

}  // namespace voroquarn
