#include "output/RunOutput.h"

#include "core/driveToEnd.h"
#include "diagram/Diagram.h"
#include "output/ImageOutput.h"
#include "output/ImageSurface.h"
#include "diagram/SiteRegions.h"
#include "output/PdfWriter.h"
#include "output/RegionShapes.h"
#include "output/RegionTable.h"
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
    Progress* const progress = settings.progress;
    driveToEnd(drawDiagram(surface, random, std::move(settings)), surface);
    if (!stillWanted()) {
        return std::nullopt;
    }
    if (surface.picture().isNull()) {
        return notEnoughMemoryFor(size);
    }
    return writePngFile(surface.picture().lines(), path, progress);
}

std::optional<QString> writeVector(VectorWriter writer, const std::string& path, QSize size, RandomSource& random,
                                   const RunSettings& settings, const std::function<bool()>& stillWanted)
{
    const Diagram diagram = recordDiagram(size.width(), size.height(), random, settings);
    if (!stillWanted()) {
        return std::nullopt;
    }
    return writeVectorFile(diagram, writer, path, settings.progress);
}

// The regions of the run's sites as data, by `writer`: writeRegionTable or
// writeRegionShapes.
std::optional<QString> writeRegions(bool (*writer)(SiteRegions&, QIODevice&, Progress*), const std::string& path,
                                    QSize size, RandomSource& random, RunSettings settings,
                                    const std::function<bool()>& stillWanted)
{
    const SiteArrays sites = runSites(size.width(), size.height(), random, settings);
    std::vector<Site>().swap(settings.givenSites);  // placed: a million of them are 24 MB
    SiteRegions regions(sites, drawingArea(size.width(), size.height()), settings.progress);
    if (!stillWanted()) {
        return std::nullopt;
    }
    return writeFileWith(path, [&](QIODevice& device) { return writer(regions, device, settings.progress); });
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
    case OutputFormat::Csv:
        return writeRegions(writeRegionTable, path, size, random, std::move(settings), stillWanted);
    case OutputFormat::GeoJson:
        return writeRegions(writeRegionShapes, path, size, random, std::move(settings), stillWanted);
    }
    return std::nullopt;  // not reached: every format has its case
}

}  // namespace voroquarn
