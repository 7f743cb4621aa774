#include "output/VectorOutput.h"

#include <QSaveFile>
#include <cassert>

#include "app/Shown.h"
#include "output/PdfWriter.h"
#include "output/SvgWriter.h"

namespace voroquarn {

std::optional<QString> writeVectorFile(const Diagram& diagram, OutputFormat format, const QString& path)
{
    assert(format != OutputFormat::Png);
    QSaveFile file(path);
    const auto cannotWrite = [&] {
        return QStringLiteral("%1: cannot be written: %2").arg(shown(path), file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return cannotWrite();
    }
    const bool written = format == OutputFormat::Pdf ? writePdf(diagram, file) : writeSvg(diagram, file);
    if (!written) {
        file.cancelWriting();
        return cannotWrite();
    }
    if (!file.commit()) {
        return cannotWrite();
    }
    return std::nullopt;
}

}  // namespace voroquarn
