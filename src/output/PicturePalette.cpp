// The picture's palette: its colours in the order they were first drawn.
#include "output/PictureRaster.h"

#include <QList>

#include "output/Rgb.h"

namespace voroquarn {

namespace {

// An indexed picture holds at most this many colours; beyond, the nearest one is used.
constexpr int MAX_COLOURS = 256;

}  // namespace

int PictureRaster::indexOf(Colour colour)
{
    if (colour == lastColour_ && !isNull()) {
        return lastIndex_;
    }
    if (isNull()) {
        return -1;
    }
    const QRgb rgb = toRgb(colour);
    int index = -1;
    for (int k = 0; k < colourCount(); ++k) {
        if (paletteColour(k) == rgb) {
            index = k;
            break;
        }
    }
    if (index < 0) {
        index = addColour(colour);
    }
    if (index >= 0) {
        lastColour_ = colour;
        lastIndex_ = index;
    }
    return index;
}

int PictureRaster::addColour(Colour colour)
{
    const QRgb rgb = toRgb(colour);
    if (colourCount() == MAX_COLOURS) {
        // Full: the nearest colour by the sum of squared channel differences.
        const auto distance = [&](QRgb other) {
            const int r = qRed(rgb) - qRed(other);
            const int g = qGreen(rgb) - qGreen(other);
            const int b = qBlue(rgb) - qBlue(other);
            return r * r + g * g + b * b;
        };
        int nearest = 0;
        for (int k = 1; k < MAX_COLOURS; ++k) {
            if (distance(paletteColour(k)) < distance(paletteColour(nearest))) {
                nearest = k;
            }
        }
        return nearest;
    }
    if (1 << depth() == colourCount() && !widen()) {
        return -1;
    }
    convertedFresh_ = false;
    if (nibbles_.data) {
        nibbles_.colours.append(rgb);
    } else {
        image_.setColorCount(image_.colorCount() + 1);
        image_.setColor(image_.colorCount() - 1, rgb);
    }
    return colourCount() - 1;
}
}  // namespace voroquarn
