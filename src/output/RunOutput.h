#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "diagram/drawDiagram.h"
#include "output/OutputFormat.h"

namespace voroquarn {

class RandomSource;

// Draws one run in a drawing area of `size` pixels and writes it to `path` ("-":
// standard output) in `format`: the PNG is the picture as a window shows it, SVG and PDF
// the run's own sites with the exact pieces in place of the traced pixels, CSV and
// GeoJSON the regions of its sites as data. This is the one place that knows every
// format. `stillWanted` is asked once the run is drawn, before the file is touched; when
// it says no, nothing is written. Returns the one line that says what went wrong, or
// nothing.
std::optional<QString> writeRunOutput(OutputFormat format, const std::string& path, QSize size, RandomSource& random,
                                      RunSettings settings, const std::function<bool()>& stillWanted);

}  // namespace voroquarn
