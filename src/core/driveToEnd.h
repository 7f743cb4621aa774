#pragma once

#include "core/DrawingSurface.h"
#include "core/Steps.h"

namespace voroquarn {

// Runs a drawing to its end the plain way: before every step the window handles its
// events (keepResponsive). Returns false, leaving the rest undrawn, when the window was closed
// during one of them.
inline bool driveToEnd(Steps drawing, DrawingSurface& window)
{
    while (drawing.next()) {
        if (!window.keepResponsive()) {
            return false;
        }
    }
    return true;
}

}  // namespace voroquarn
