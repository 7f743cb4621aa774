#pragma once

#include <QByteArray>
#include <optional>

namespace voroquarn {

// The program's own descriptor that `path` names, directly or through links: an entry
// of the folder /proc/self/fd (which /dev/fd, /dev/stdout and the like lead to) that is
// open. Nothing for any other name, or without /proc.
std::optional<int> ownDescriptor(QByteArray path);

}  // namespace voroquarn
