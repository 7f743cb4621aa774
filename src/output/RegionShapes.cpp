#include "output/RegionShapes.h"

#include <QIODevice>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "diagram/RegionMeasures.h"
#include "diagram/RegionRings.h"
#include "diagram/SiteRegions.h"
#include "output/RegionTable.h"

namespace voroquarn {

namespace {

void appendPolygon(std::string& text, const RegionPolygon& polygon)
{
    text += '[';
    for (std::size_t r = 0; r < polygon.rings.size(); ++r) {
        text += r > 0 ? ",[" : "[";
        const std::vector<PlanePoint>& ring = polygon.rings[r];
        for (std::size_t n = 0; n < ring.size(); ++n) {
            text += n > 0 ? ",[" : "[";
            appendNumber(text, ring[n].x);
            text += ',';
            appendNumber(text, ring[n].y);
            text += ']';
        }
        text += ']';
    }
    text += ']';
}

void appendGeometry(std::string& text, const std::vector<RegionPolygon>& polygons)
{
    if (polygons.empty()) {
        text += "null";
        return;
    }
    if (polygons.size() == 1) {
        text += R"({"type":"Polygon","coordinates":)";
        appendPolygon(text, polygons.front());
        text += '}';
        return;
    }
    text += R"({"type":"MultiPolygon","coordinates":[)";
    for (std::size_t n = 0; n < polygons.size(); ++n) {
        if (n > 0) {
            text += ',';
        }
        appendPolygon(text, polygons[n]);
    }
    text += "]}";
}

}  // namespace

bool writeRegionShapes(SiteRegions& regions, QIODevice& device, Progress* progress)
{
    const SiteArrays& sites = regions.sites();
    std::string text = R"({"type":"FeatureCollection","features":[)";
    std::vector<RegionPart> parts;
    RegionMeasure measure;
    const auto put = [&] {
        const bool written = device.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
        text.clear();
        return written;
    };
    ItemsDone written(progress, RunPhase::Writing, static_cast<std::size_t>(sites.N));
    for (std::int32_t k = 0; k < sites.N; ++k) {
        ++written;
        regions.boundaryOf(k, parts);
        measureRegion(parts, measure);
        const auto at = static_cast<std::size_t>(k);
        text += k > 0 ? ",\n" : "\n";
        text += R"({"type":"Feature","properties":{"site":)";
        text += std::to_string(k + 1);
        text += R"(,"x":)";
        appendNumber(text, sites.x[at]);
        text += R"(,"y":)";
        appendNumber(text, sites.y[at]);
        text += R"(,"weight":)";
        appendNumber(text, sites.w[at]);
        text += R"(,"area":)";
        appendNumber(text, measure.area);
        text += R"(,"perimeter":)";
        appendNumber(text, measure.perimeter);
        text += R"(,"neighbours":")";
        appendNeighbours(text, measure.neighbours);
        text += R"("},"geometry":)";
        appendGeometry(text, regionPolygons(parts, REGION_TOLERANCE));
        text += '}';
        if (!put()) {
            return false;
        }
    }
    text += "\n]}\n";
    return put();
}

}  // namespace voroquarn
