#pragma once

#include <QString>
#include <variant>
#include <vector>

#include "diagram/SiteFile.h"

namespace voroquarn {

// Reads and parses a site file, or standard input for "-". An error is one line that
// names the file, and the line of the file where it is about one.
std::variant<std::vector<Site>, QString> loadSites(const QString& path);

}  // namespace voroquarn
