#pragma once

class QIODevice;

namespace voroquarn {

class Progress;
class SiteRegions;

// How far an arc of a region file may stray from the polyline that stands for it, px.
inline constexpr double REGION_TOLERANCE = 0.01;

// Writes the sites' regions as GeoJSON (RFC 7946) into `device`, which is open for
// writing: a FeatureCollection with a Feature for every site, in the order of the
// sites. Its geometry is the region inside the area, a Polygon, or a MultiPolygon where
// the region falls apart, with holes where it surrounds other regions; null where it is
// empty. Arcs are polylines within REGION_TOLERANCE of them. Coordinates are the
// picture's pixels, y down, as the sites are given, not longitude and latitude; an
// outer ring has a positive signed area in them, a hole a negative one. Its properties
// are the row of writeRegionTable. `progress`, if any, is told how far the writing is.
// Returns false when the device refused a write; its error string says why.
bool writeRegionShapes(SiteRegions& regions, QIODevice& device, Progress* progress = nullptr);

}  // namespace voroquarn
