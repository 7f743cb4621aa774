#pragma once

#include <cstdint>
#include <vector>

#include "core/Colour.h"
#include "diagram/BisectorSide.h"
#include "diagram/BoundaryPieces.h"
#include "diagram/SiteArrays.h"
#include "diagram/SiteRegions.h"

namespace voroquarn {

class RandomSource;
struct RunSettings;

// A site's marker as the run draws it: an outline of the ellipse of radii rx and ry
// about (x, y), in the single precision the run marks with.
struct DiagramMarker {
    float x;
    float y;
    double rx;
    double ry;
};

// A weight label as the run prints it: the digits of an integral value, top-left corner
// at (x, y).
struct DiagramLabel {
    float x;
    float y;
    double value;
};

// How a vector file draws the diagram: the run's own way by default.
struct DiagramStyle {
    double lineWidth = 1;  // pixels, of the boundaries and the markers' outlines
    // Above zero: every site is a filled dot of this radius instead of its marker.
    double dotRadius = 0;
    bool labels = true;
};

// The regions of a few sites within a rectangle, each to be filled in its colour: the
// whole drawing area for a diagram of up to MAX_SITES sites, one cell of its diagram
// (SiteCells) for each with more.
struct RegionPatch {
    ClipArea rect;  // the rectangle the regions are cut from
    // The sites' colours, in the order of the sites sorted by weight.
    std::vector<Colour> colours;
    // The lighter side of every pair's bisector within sideArea, in the order of the
    // pairs (1,2), (1,3), ..., (N-1,N); regionCuts makes the regions from them. The
    // area is the rectangle and a pixel around it, so that no edge of a side runs along
    // the rectangle's: a renderer may fill a pixel that a clip path only touches. The
    // part outside a side is taken from a rectangle a pixel larger still, for the same
    // reason.
    std::vector<BisectorSide> sides;
    ClipArea sideArea{};
};

// A region filled by its own boundary, for diagrams of more than MAX_SITES sites: its
// loops one after another, each part's end the next one's start. The region lies on
// each part's side of positive area, so that holes wind the other way and the nonzero
// rule fills the region alone.
struct RegionOutline {
    Colour colour;
    std::vector<RegionPart> parts;
    std::vector<std::uint32_t> loopEnds;  // where in parts each loop ends
};

// One run's picture as values, for the writers that draw it resolution-free: the
// drawing area, what the run drew before it traced (markers and labels in the order the
// run drew them) and the diagram's exact boundary pieces in place of the traced pixels.
// All coordinates are the program's pixel coordinates: a pixel's centre lies at whole
// numbers, pixel (0, 0) covering -0.5 to 0.5 in x and y.
struct Diagram {
    int width = 0;  // the drawing area, pixels
    int height = 0;
    std::vector<DiagramMarker> markers;
    std::vector<DiagramLabel> labels;
    // The sites sorted by weight, as the run traces them; the pieces' i and j count
    // from 1 into these.
    SiteArrays sites;
    std::vector<BoundaryPiece> pieces;
    // The regions filled, in one patch (up to MAX_SITES sites) or by their outlines
    // (more); none: unfilled.
    std::vector<RegionPatch> regions;
    std::vector<RegionOutline> outlines;
    DiagramStyle style;
};

// The drawing area's pixels as the area their centres' nearest points cover.
ClipArea drawingArea(int width, int height);

// The sites a run in a drawing area of width x height pixels places, in their order of
// placement, as placeRunSites places them in a window or an image of that size (a seed
// or a site file gives the same sites), without drawing anything.
SiteArrays runSites(int width, int height, RandomSource& random, const RunSettings& settings);

// The diagram a run draws in a drawing area of width x height pixels: the run's own
// first steps (placeRunSites) choose, mark and report the sites, drawing from `random`
// exactly as in a window or an image of that size, so that a seed or a site file gives
// the same sites; then the pieces are computed for them, sorted as the run sorts them.
// With settings.fill, the regions too, in the colours the run fills them with.
Diagram recordDiagram(int width, int height, RandomSource& random, const RunSettings& settings);

}  // namespace voroquarn
