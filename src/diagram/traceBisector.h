#pragma once

#include "core/Steps.h"
#include "diagram/SiteArrays.h"

namespace voroquarn {

class DrawingSurface;

// Draws the part of the bisector of sites i < j (counted from 1, sorted by weight) that
// belongs to the diagram, by a sweep over columns and then one over rows, yielding to
// the window system once per step. The sites are taken by value: the drawing may run
// long after the call.
Steps traceBisector(DrawingSurface& window, SiteArrays sites, int i, int j);

}  // namespace voroquarn
