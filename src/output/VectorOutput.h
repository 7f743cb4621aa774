#pragma once

#include <QString>
#include <optional>

#include "output/OutputFormat.h"

namespace voroquarn {

struct Diagram;

// Writes the diagram to `path` as SVG or PDF (`format`, not PNG), through a temporary file in the
// same folder that is renamed into place, so that a failure neither leaves a partial
// file nor harms an existing one. Returns the one line that says what went wrong, or
// nothing.
std::optional<QString> writeVectorFile(const Diagram& diagram, OutputFormat format, const QString& path);

}  // namespace voroquarn
