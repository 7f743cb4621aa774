#pragma once

#include "core/DrawingSurface.h"
#include "diagram/drawDiagram.h"

namespace voroquarn {

// What a session needs of the window it draws diagram after diagram on.
class SessionWindow {
public:
    SessionWindow() = default;
    SessionWindow(const SessionWindow&) = delete;
    SessionWindow& operator=(const SessionWindow&) = delete;
    virtual ~SessionWindow() = default;

    // What the diagrams are drawn on; its keepResponsive handles the window's events.
    virtual DrawingSurface& surface() = 0;
    // Puts every change on screen now: at the end of a drawing, and before a wait.
    virtual void present() = 0;
    // Fits a diagram's run to the window as it is now: how far random sites keep from
    // its edges, and how large their marks are.
    virtual void fitRun(RunSettings& run) const = 0;
};

}  // namespace voroquarn
