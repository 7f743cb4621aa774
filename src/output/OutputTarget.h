#pragma once

#include <QString>
#include <optional>
#include <string>

namespace voroquarn {

// Whether `path` ("-": standard output) can take the output, checked before anything is
// drawn: a folder, a missing or unwritable folder, a file the user may not write, a
// descriptor not open for writing, and the file the sites come from (`sitesPath`, "-":
// standard input; compared by device and inode, so that links and other names of it are
// caught) are refused. Returns what is wrong, or nothing; leaves no file behind.
std::optional<QString> checkOutputTarget(const std::string& path, const std::optional<std::string>& sitesPath);

}  // namespace voroquarn
