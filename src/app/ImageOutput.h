#pragma once

#include <QImage>
#include <QString>
#include <optional>

namespace voroquarn {

// Whether a PNG can be written to `path`: its folder exists and takes new files, and the
// path is not a folder itself. Returns what is wrong, or nothing. Leaves no file behind.
std::optional<QString> checkOutputTarget(const QString& path);

// Writes the image as PNG through a temporary file in the same folder that is renamed
// into place, so that a failure neither leaves a partial file nor harms an existing one.
std::optional<QString> writePng(const QImage& image, const QString& path);

}  // namespace voroquarn
