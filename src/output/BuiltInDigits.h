#pragma once

#include <QFont>
#include <QGuiApplication>
#include <QScreen>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace voroquarn {

// The digits of the weight labels as the label font draws them at the picture's own
// scale, rendered at build time (src/digits, draw_digits) from the same font, so that a
// picture's labels need no font loaded: each digit is the pixels it sets around its pen
// position on the baseline, and the advance of the pen after it.
struct DigitGlyph {
    std::int32_t advance64;  // in 64ths of a pixel, as Qt's text layout steps the pen
    std::span<const std::array<std::int8_t, 2>> pixels;  // (dx, dy) from the pen's pixel
};

struct BuiltInDigits {
    // Whether the build found the digits drawn as they are here exactly as the font
    // draws them; if not, there are none, and labels are drawn with the font.
    bool exact;
    // The application font they were drawn in (QFont::toString) and the logical
    // resolution its metrics were taken at: labels are drawn with them only where the
    // application has that font at that resolution.
    std::string_view font;
    int dotsPerInch;
    int ascent;  // from a label's top to its baseline
    std::array<DigitGlyph, 10> glyphs;
};

const BuiltInDigits& builtInDigits();

// The font of the labels at the picture's own scale: the application's default one,
// without smoothing. Needs the application object.
inline QFont aliasedLabelFont()
{
    QFont font = QGuiApplication::font();
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// The logical resolution at which a font's metrics are taken without a paint device.
inline int fontMetricsDotsPerInch()
{
    if (QGuiApplication::testAttribute(Qt::AA_Use96Dpi)) {
        return 96;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 100;
}

}  // namespace voroquarn
