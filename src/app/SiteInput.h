#pragma once

#include <string>
#include <variant>
#include <vector>

#include "diagram/SiteFile.h"

namespace voroquarn {

class Progress;

// Reads and parses a site file, or standard input for "-", to its end: a pipe is read
// until its writer closes it, however slowly the sites come. Reading stops at the first
// fault, and a regular file of more than 1 GiB is refused by its size, unread. The name
// is bytes, used as given. `progress`, if any, is told how much of the file is read, as
// a share of a regular file's size. An error is one line that names the file, and the
// line of the file where it is about one.
std::variant<std::vector<Site>, std::string> loadSites(const std::string& path, Progress* progress = nullptr);

}  // namespace voroquarn
