#pragma once

namespace voroquarn {

class DrawingSurface;
struct SiteArrays;

// Draws the part of the bisector of sites i < j (counted from 1, sorted by weight) that
// belongs to the diagram, by a sweep over columns and then one over rows, yielding to
// the window system once per step. Returns false when the window was closed meanwhile.
bool traceBisector(DrawingSurface& window, const SiteArrays& sites, int i, int j);

}  // namespace voroquarn
