#pragma once

#include <QString>
#include <optional>

namespace voroquarn {

enum class OutputFormat { Png, Svg, Pdf };

// The format a file name asks for, by its extension in any case: .png, .svg or .pdf. A
// name without an extension ("-", /dev/null, "picture") is PNG, as it always was;
// nothing for any other extension.
std::optional<OutputFormat> outputFormatOf(const QString& path);

}  // namespace voroquarn
