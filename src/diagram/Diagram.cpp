#include "diagram/Diagram.h"

#include <cmath>

#include "core/DrawingSurface.h"
#include "core/WindowMetrics.h"
#include "diagram/RegionColours.h"
#include "diagram/drawDiagram.h"
#include "diagram/hSort.h"

namespace voroquarn {

namespace {

// A window of the drawing area's size that keeps what the run marks its sites with, as
// values, and nothing else.
class MarkerRecorder final : public DrawingSurface {
public:
    MarkerRecorder(int width, int height) : outer_(outerSizeTwips(width, height)) {}

    void Show() override {}
    void Refresh() override
    {
        markers.clear();
        labels.clear();
    }
    Colour ForeColor() const override { return foreColor_; }
    void setForeColor(Colour colour) override { foreColor_ = colour; }
    float Width() const override { return outer_.width; }
    float Height() const override { return outer_.height; }
    // A site beyond single precision is marked at infinity, where no picture shows it;
    // its marker and label are left out, so that a file never holds a number that is
    // not finite.
    void Circle(float x, float y, float radius, Colour /*colour*/, float aspect) override
    {
        const EllipseRadii radii = ellipseRadii(radius, aspect);
        x_ = x;
        y_ = y;
        if (std::isfinite(x) && std::isfinite(y)) {
            markers.push_back({x, y, radii.rx, radii.ry});
        }
    }
    void Print(double integralValue) override
    {
        if (std::isfinite(x_) && std::isfinite(y_)) {
            labels.push_back({x_, y_, integralValue});
        }
    }
    void PSet(float /*x*/, float /*y*/, Colour /*colour*/) override {}
    void FillBackground(int /*y*/, int /*left*/, int /*right*/, Colour /*colour*/) override {}
    bool DoEvents() override { return true; }

    std::vector<DiagramMarker> markers;
    std::vector<DiagramLabel> labels;

private:
    OuterSize outer_;
    Colour foreColor_ = BLACK;
    // The drawing position, where Circle leaves it.
    float x_ = 0;
    float y_ = 0;
};

}  // namespace

ClipArea drawingArea(int width, int height) { return {-0.5, -0.5, width - 0.5, height - 0.5}; }

Diagram recordDiagram(int width, int height, RandomSource& random, const RunSettings& settings)
{
    MarkerRecorder recorder(width, height);
    Diagram diagram;
    diagram.width = width;
    diagram.height = height;
    diagram.sites = placeRunSites(recorder, random, settings);
    diagram.markers = std::move(recorder.markers);
    diagram.labels = std::move(recorder.labels);
    SiteArrays& sites = diagram.sites;
    const SiteArrays placed = sites;
    hSort(sites.N, sites.w, sites.x, sites.y);
    diagram.pieces = boundaryPieces(sites, drawingArea(width, height));
    if (settings.fill) {
        const auto colours = regionColours(placed, sites);
        diagram.regionColours.assign(colours.begin(), colours.begin() + sites.N);
        diagram.regionArea = grown(drawingArea(width, height), 1);
        diagram.sides = lighterSides(sites, diagram.regionArea);
    }
    return diagram;
}

}  // namespace voroquarn
