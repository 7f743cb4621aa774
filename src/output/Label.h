#pragma once

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>

namespace voroquarn {

// The weight labels, alike in the pictures and in the vector files.

// The digits of an integral value; value + 0.0 turns a negative zero into "0" rather
// than "-0".
inline QString labelText(double integralValue) { return QString::number(integralValue + 0.0, 'f', 0); }

// The labels' font, the application's default one, with its size and ascent in pixels
// of the picture, so that a device of another resolution (a PDF page) prints them as
// large as the picture does. Needs the application object.
struct LabelFace {
    QFont font;
    int pixelSize;
    int ascent;  // from the top of the text to its baseline
};

inline LabelFace labelFace()
{
    QFont font = QGuiApplication::font();
    const QFontMetrics metrics(font);
    const int pixelSize = QFontInfo(font).pixelSize();
    font.setPixelSize(pixelSize);
    return {font, pixelSize, metrics.ascent()};
}

}  // namespace voroquarn
