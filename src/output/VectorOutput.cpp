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
    if (!file.open(QIODevice::WriteOnly)) {
        return file.cannotBeWritten();
    }
    const bool written = format == OutputFormat::Pdf ? writePdf(diagram, file) : writeSvg(diagram, file);
    if (!written || !file.commit()) {
        return file.cannotBeWritten();
    }
    return std::nullopt;
}

}  // namespace voroquarn
