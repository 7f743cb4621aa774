#include "output/OutputFormat.h"

#include <QFileInfo>

namespace voroquarn {

std::optional<OutputFormat> outputFormatOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1) {
        return OutputFormat::Png;  // no extension; a leading dot only hides the file
    }
    const QString extension = name.mid(dot + 1).toLower();
    if (extension == QLatin1String("png")) {
        return OutputFormat::Png;
    }
    if (extension == QLatin1String("svg")) {
        return OutputFormat::Svg;
    }
    if (extension == QLatin1String("pdf")) {
        return OutputFormat::Pdf;
    }
    return std::nullopt;
}

}  // namespace voroquarn
