#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

class QIODevice;

namespace voroquarn {

class Progress;
struct Diagram;

// A writer of one vector format: writeSvg or writePdf.
using VectorWriter = bool (*)(const Diagram& diagram, QIODevice& device, Progress* progress);

// Writes the diagram to `path` ("-": standard output) with `writer` through an
// OutputFile, so that a failure harms no existing file; the writer tells `progress`, if
// any, how far it is. Returns the one line that says what went wrong, or nothing.
std::optional<QString> writeVectorFile(const Diagram& diagram, VectorWriter writer, const std::string& path,
                                       Progress* progress = nullptr);

// The same for any writer: `write` writes into the open device, and says whether every
// write succeeded.
std::optional<QString> writeFileWith(const std::string& path, const std::function<bool(QIODevice&)>& write);

}  // namespace voroquarn
