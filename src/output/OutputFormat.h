#pragma once

#include <optional>
#include <string_view>

namespace voroquarn {

// The formats --output writes. Each is written in one place, writeRunOutput, which
// switches over them all; a new format is a new value here, its extension in
// outputFormatOf, and its case there.
enum class OutputFormat { Png, Svg, Pdf };

// The format a file name asks for, by its extension in any case: .png, .svg or .pdf. A
// name without an extension ("-", /dev/null, "picture") is PNG, as it always was;
// nothing for any other extension. The name is bytes, in any encoding.
std::optional<OutputFormat> outputFormatOf(std::string_view path);

}  // namespace voroquarn
