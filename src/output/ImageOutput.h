#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>
#include <string>

#include "output/IndexedLines.h"

namespace voroquarn {

class Progress;

// Writes the picture as PNG to `path` ("-": standard output) through an OutputFile, so
// that a failure harms no existing file; `progress`, if any, is told at every line how
// far it is. Returns the one line that says what went wrong, or nothing.
std::optional<QString> writePngFile(const QImage& picture, const std::string& path);
std::optional<QString> writePngFile(const IndexedLines& picture, const std::string& path, Progress* progress = nullptr);

// What the program says when a picture of this size does not fit in memory.
QString notEnoughMemoryFor(QSize size);

}  // namespace voroquarn
