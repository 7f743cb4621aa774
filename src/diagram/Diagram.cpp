#include "diagram/Diagram.h"

#include <cmath>

#include "core/DrawingSurface.h"
#include "core/WindowMetrics.h"
#include "diagram/RegionColours.h"
#include "diagram/RegionRings.h"
#include "diagram/drawDiagram.h"
#include "diagram/WeightedDiagram.h"
#include "diagram/buildDiagram.h"
#include "diagram/sortByWeight.h"
#include "core/driveToEnd.h"

namespace voroquarn {

namespace {

// A window of the drawing area's size that keeps what the run marks its sites with, as
// values, and nothing else.
class MarkerRecorder final : public DrawingSurface {
public:
    MarkerRecorder(int width, int height) : outer_(outerSize(width, height)) {}

    void showWindow() override {}
    void clear() override
    {
        markers.clear();
        labels.clear();
    }
    Colour drawingColour() const override { return drawingColour_; }
    void setDrawingColour(Colour colour) override { drawingColour_ = colour; }
    float outerWidth() const override { return outer_.width; }
    float outerHeight() const override { return outer_.height; }
    // A site beyond single precision is marked at infinity, where no picture shows it;
    // its marker and label are left out, so that a file never holds a number that is
    // not finite.
    void drawCircle(float x, float y, float radius, Colour /*colour*/, float aspect) override
    {
        const EllipseRadii radii = ellipseRadii(radius, aspect);
        x_ = x;
        y_ = y;
        if (std::isfinite(x) && std::isfinite(y)) {
            markers.push_back({x, y, radii.rx, radii.ry});
        }
    }
    void drawNumber(double integralValue) override
    {
        if (std::isfinite(x_) && std::isfinite(y_)) {
            labels.push_back({x_, y_, integralValue});
        }
    }
    void moveTo(float x, float y) override
    {
        x_ = x;
        y_ = y;
    }
    void setPixel(float /*x*/, float /*y*/, Colour /*colour*/) override {}
    void fillBackground(int /*y*/, int /*left*/, int /*right*/, Colour /*colour*/) override {}
    void drawSmoothLine(std::span<const PlanePoint> /*points*/, Colour /*colour*/) override {}
    bool keepResponsive() override { return true; }

    std::vector<DiagramMarker> markers;
    std::vector<DiagramLabel> labels;

private:
    OuterSize outer_;
    Colour drawingColour_ = BLACK;
    // The drawing position, where drawCircle leaves it.
    float x_ = 0;
    float y_ = 0;
};

}  // namespace

ClipArea drawingArea(int width, int height) { return {-0.5, -0.5, width - 0.5, height - 0.5}; }

SiteArrays runSites(int width, int height, RandomSource& random, const RunSettings& settings)
{
    MarkerRecorder recorder(width, height);
    return placeRunSites(recorder, random, settings);
}

Diagram recordDiagram(int width, int height, RandomSource& random, const RunSettings& settings)
{
    MarkerRecorder recorder(width, height);
    Diagram diagram;
    diagram.width = width;
    diagram.height = height;
    diagram.sites = placeRunSites(recorder, random, settings);
    if (diagram.sites.N > MAX_SITES) {
        driveToEnd(markPlacedSites(recorder, diagram.sites, settings), recorder);
    }
    diagram.markers = std::move(recorder.markers);
    diagram.labels = std::move(recorder.labels);
    SiteArrays& sites = diagram.sites;
    const SiteArrays placed = sites;
    sortByWeight(sites.N, sites.w, sites.x, sites.y);
    const ClipArea area = drawingArea(width, height);
    WeightedDiagram found(sites, area);
    buildDiagram(found, settings.progress);
    diagram.pieces = found.pieces();
    if (!settings.fill) {
        return diagram;
    }
    const std::vector<Colour> colours =
        sites.N <= MAX_SITES ? regionColours(placed, sites) : neighbourColours(placed, sites, found.neighbours());
    if (sites.N <= MAX_SITES) {
        const ClipArea sideArea = grown(area, 1);
        diagram.regions.push_back({area, colours, lighterSides(sites, sideArea), sideArea});
        return diagram;
    }
    // Each region by its exact boundary: the cost of its pieces, however many sites
    // crowd a cell.
    SiteRegions regions(sites, area);
    std::vector<RegionPart> parts;
    for (std::int32_t k = 0; k < sites.N; ++k) {
        regions.boundaryOf(k, parts);
        if (parts.empty()) {
            continue;
        }
        RegionOutline& outline = diagram.outlines.emplace_back();
        outline.colour = colours[static_cast<std::size_t>(k)];
        joinLoops(parts, outline.loopEnds);
        outline.parts = parts;
    }
    return diagram;
}

}  // namespace voroquarn
