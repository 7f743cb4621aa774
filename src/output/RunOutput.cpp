#include "output/RunOutput.h"

#include "core/driveToEnd.h"
#include "diagram/Diagram.h"
#include "output/ImageOutput.h"
#include "output/ImageSurface.h"
#include "output/PdfWriter.h"
#include "output/SvgWriter.h"
#include "output/VectorOutput.h"

namespace voroquarn {

namespace {

std::optional<QString> writeImage(const std::string& path, QSize size, RandomSource& random, RunSettings settings,
                                  const std::function<bool()>& stillWanted)
{
    ImageSurface surface(size);
    if (surface.picture().isNull()) {
        return notEnoughMemoryFor(size);
    }
    driveToEnd(drawDiagram(surface, random, std::move(settings)), surface);
    if (!stillWanted()) {
        return std::nullopt;
    }
    if (surface.picture().isNull()) {
        return notEnoughMemoryFor(size);
    }
    return writePngFile(surface.picture().lines(), path);
}

std::optional<QString> writeVector(VectorWriter writer, const std::string& path, QSize size, RandomSource& random,
                                   const RunSettings& settings, const std::function<bool()>& stillWanted)
{
    const Diagram diagram = recordDiagram(size.width(), size.height(), random, settings);
    if (!stillWanted()) {
        return std::nullopt;
    }
    return writeVectorFile(diagram, writer, path);
}

}  // namespace

std::optional<QString> writeRunOutput(OutputFormat format, const std::string& path, QSize size, RandomSource& random,
                                      RunSettings settings, const std::function<bool()>& stillWanted)
{
    switch (format) {
    case OutputFormat::Png:
        return writeImage(path, size, random, std::move(settings), stillWanted);
    case OutputFormat::Svg:
        return writeVector(writeSvg, path, size, random, settings, stillWanted);
    case OutputFormat::Pdf:
        return writeVector(writePdf, path, size, random, settings, stillWanted);
    }
    return std::nullopt;  // not reached: every format has its case
}

}  // namespace voroquarn
