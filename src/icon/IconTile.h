#pragma once

#include <QPainterPath>
#include <QString>

class QIODevice;

namespace voroquarn {

// The icon's shape: a square with rounded corners, a little in from the icon's edges,
// that the filled diagram shows through; outside it the icon is transparent. It stays
// one clear shape at 16 pixels, against light and dark panels alike.
struct IconTile {
    // The margin and the corners' radius, as parts of the icon's side.
    static constexpr double MARGIN = 1.0 / 16;
    static constexpr double CORNER = 0.2;

    // The margin on an icon of `side` pixels, in whole pixels, so that the tile's
    // straight edges fall on pixel edges and stay sharp.
    static int margin(int side);
    // The tile on an icon of `side` pixels.
    static QPainterPath path(int side);
};

// Copies the SVG document of `picture` to `output` with everything it draws clipped to
// the tile of an icon of `side` units. Returns the one line that says what went wrong,
// or an empty string.
QString clipSvgToTile(QIODevice& picture, int side, QIODevice& output);

}  // namespace voroquarn
