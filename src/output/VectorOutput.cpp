#include "output/VectorOutput.h"

#include <cassert>

#include "output/OutputFile.h"
#include "output/PdfWriter.h"
#include "output/SvgWriter.h"

namespace voroquarn {

std::optional<QString> writeVectorFile(const Diagram& diagram, OutputFormat format, const QString& path)
{
    assert(format != OutputFormat::Png);
    OutputFile file(path);
    const auto cannotWrite = [&] {
        return QStringLiteral("%1: cannot be written: %2").arg(file.displayName(), file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return cannotWrite();
    }
    const bool written = format == OutputFormat::Pdf ? writePdf(diagram, file) : writeSvg(diagram, file);
    if (!written || !file.commit()) {
        return cannotWrite();
    }
    return std::nullopt;
}

}  // namespace voroquarn
