#pragma once

#include <optional>
#include <string_view>

namespace voroquarn {

// The formats --output writes: pictures (PNG, SVG, PDF) and the regions as data (CSV,
// GeoJSON). Each is written in one place, writeRunOutput, which switches over them all;
// a new format is a new value here, its extension in outputFormatOf, and its case there.
enum class OutputFormat { Png, Svg, Pdf, Csv, GeoJson };

// The format a file name asks for, by its extension in any case: .png, .svg, .pdf, .csv
// or .geojson. A name without an extension ("-", /dev/null, "picture") is PNG, as it
// always was; nothing for any other extension. The name is bytes, in any encoding.
std::optional<OutputFormat> outputFormatOf(std::string_view path);

// Whether the format holds a picture, which the options of the picture's look change;
// the regions as data do not.
bool isPicture(OutputFormat format);

}  // namespace voroquarn
