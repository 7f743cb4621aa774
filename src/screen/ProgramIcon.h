#pragma once

namespace voroquarn {

// Makes the icons drawn at build time, which the program carries as resources, the icon
// of every window it opens (on X, _NET_WM_ICON, from which the window manager takes the
// size it shows). Call once the application object exists.
void setProgramIcon();

}  // namespace voroquarn
