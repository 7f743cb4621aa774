#include "output/OutputFormat.h"

#include <algorithm>
#include <cctype>

namespace voroquarn {

std::optional<OutputFormat> outputFormatOf(std::string_view path)
{
    const std::string_view name = path.substr(path.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot == name.size() - 1) {
        return OutputFormat::Png;  // no extension; a leading dot only hides the file
    }
    const std::string_view extension = name.substr(dot + 1);
    const auto is = [&](std::string_view wanted) {
        return std::equal(extension.begin(), extension.end(), wanted.begin(), wanted.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
        });
    };
    if (is("png")) {
        return OutputFormat::Png;
    }
    if (is("svg")) {
        return OutputFormat::Svg;
    }
    if (is("pdf")) {
        return OutputFormat::Pdf;
    }
    if (is("csv")) {
        return OutputFormat::Csv;
    }
    if (is("geojson")) {
        return OutputFormat::GeoJson;
    }
    return std::nullopt;
}

bool isPicture(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Png:
    case OutputFormat::Svg:
    case OutputFormat::Pdf:
        return true;
    case OutputFormat::Csv:
    case OutputFormat::GeoJson:
        return false;
    }
    return true;  // not reached: every format has its case
}

}  // namespace voroquarn
