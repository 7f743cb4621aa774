#include "output/RegionTable.h"

#include <QIODevice>
#include <vector>

#include "core/Progress.h"
#include "diagram/RegionMeasures.h"
#include "diagram/SiteRegions.h"
#include "output/ShortestNumber.h"

namespace voroquarn {

void appendNumber(std::string& text, double value) { text += ShortestNumber(value).view(); }

void appendNumber(std::string& text, float value) { text += ShortestNumber(value).view(); }

void appendNeighbours(std::string& text, std::span<const std::int32_t> neighbours)
{
    for (std::size_t n = 0; n < neighbours.size(); ++n) {
        if (n > 0) {
            text += ';';
        }
        text += std::to_string(neighbours[n] + 1);
    }
}

bool writeRegionTable(SiteRegions& regions, QIODevice& device, Progress* progress)
{
    const SiteArrays& sites = regions.sites();
    std::string row = "site,x,y,weight,area,perimeter,neighbours\n";
    std::vector<RegionPart> parts;
    RegionMeasure measure;
    ItemsDone written(progress, RunPhase::Writing, static_cast<std::size_t>(sites.N));
    for (std::int32_t k = 0; k < sites.N; ++k) {
        ++written;
        regions.boundaryOf(k, parts);
        measureRegion(parts, measure);
        const auto at = static_cast<std::size_t>(k);
        row += std::to_string(k + 1);
        for (const double value : {sites.x[at], sites.y[at]}) {
            row += ',';
            appendNumber(row, value);
        }
        row += ',';
        appendNumber(row, sites.w[at]);
        for (const double value : {measure.area, measure.perimeter}) {
            row += ',';
            appendNumber(row, value);
        }
        row += ',';
        appendNeighbours(row, measure.neighbours);
        row += '\n';
        if (device.write(row.data(), static_cast<qint64>(row.size())) != static_cast<qint64>(row.size())) {
            return false;
        }
        row.clear();
    }
    return device.write(row.data(), static_cast<qint64>(row.size())) == static_cast<qint64>(row.size());
}

}  // namespace voroquarn
