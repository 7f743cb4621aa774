#pragma once

#include <QString>
#include <optional>

#include "output/OutputFormat.h"

namespace voroquarn {

struct Diagram;

// Writes the diagram to `path` ("-": standard output) as SVG or PDF (`format`, not
// PNG) through an OutputFile, so that a failure harms no existing file. Returns the one
// line that says what went wrong, or nothing.
std::optional<QString> writeVectorFile(const Diagram& diagram, OutputFormat format, const QString& path);

}  // namespace voroquarn
