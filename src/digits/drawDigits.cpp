// Draws the digits of the weight labels once, at build time, as the picture draws its
// labels at its own scale, and writes them as C++ source for BuiltInDigits:
//
//   draw_digits OUTPUT.cpp
//
// Before it writes them it checks that labels set from them are exactly what the font
// draws, for every weight from 0 to 1199, longer numbers and every 64th of a pixel of
// the label's place; where one differs (a font with kerning between digits, say), it
// writes no digits, and the program draws its labels with the font.
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "output/BuiltInDigits.h"

namespace {

using Pixels = std::vector<QPoint>;

// Where the pen starts in a tile: room for a few dozen digits and their overhang.
constexpr QPoint PEN(32, 32);
constexpr QSize TILE(448, 64);

// The white pixels of `text` drawn with its baseline at `at` on black, as the picture
// draws a label.
Pixels drawnByFont(const QString& text, QPointF at)
{
    QImage tile(TILE, QImage::Format_RGB32);
    tile.fill(Qt::black);
    QPainter painter(&tile);
    painter.setFont(voroquarn::aliasedLabelFont());
    painter.setPen(Qt::white);
    painter.drawText(at, text);
    painter.end();
    Pixels pixels;
    for (int y = 0; y < tile.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(tile.constScanLine(y));
        for (int x = 0; x < tile.width(); ++x) {
            if ((line[x] & 0xFFFFFFU) != 0) {
                pixels.emplace_back(x, y);
            }
        }
    }
    return pixels;
}

struct Glyph {
    int advance64;
    Pixels pixels;  // from the pen's pixel
};

// The same label set from the glyphs, as PictureRaster sets it.
Pixels setFromGlyphs(const QString& text, QPointF at, const std::vector<Glyph>& glyphs)
{
    Pixels pixels;
    double pen = std::floor(at.x() * 64);
    const int row = static_cast<int>(std::floor(at.y() + 0.5));
    for (const QChar c : text) {
        const Glyph& glyph = glyphs[static_cast<std::size_t>(c.unicode() - u'0')];
        const int column = static_cast<int>(std::floor(pen / 64));
        for (const QPoint& p : glyph.pixels) {
            pixels.emplace_back(column + p.x(), row + p.y());
        }
        pen += glyph.advance64;
    }
    std::sort(pixels.begin(), pixels.end(), [](QPoint a, QPoint b) { return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x(); });
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    return pixels;
}

// Whether the glyphs set every test label exactly as the font draws it.
bool setLikeTheFont(const std::vector<Glyph>& glyphs)
{
    std::vector<QString> texts;
    for (int w = 0; w < 1200; ++w) {
        texts.push_back(QString::number(w));
    }
    texts.push_back(QStringLiteral("12345678901234567890"));
    texts.push_back(QStringLiteral("340282346638528859811704183484516925440"));
    std::size_t n = 0;
    for (const QString& text : texts) {
        // Every 64th of a pixel across and down for a few, a spread of them for the rest.
        const int fractions = n < 12 || n >= 1200 ? 64 : 1;
        for (int k = 0; k < fractions; ++k) {
            const double f = fractions == 64 ? k / 64.0 : static_cast<double>((n * 37) % 64) / 64.0;
            const double g = static_cast<double>((n * 11 + k * 29) % 64) / 64.0 + 1e-6 * static_cast<double>(k % 3);
            for (const QPointF at : {QPointF(PEN.x() + f, PEN.y() + g), QPointF(PEN.x() + g, PEN.y() + f)}) {
                if (drawnByFont(text, at) != setFromGlyphs(text, at, glyphs)) {
                    std::fprintf(stderr, "draw_digits: '%s' at (%g, %g) is not drawn as its digits\n",
                                 qPrintable(text), at.x(), at.y());
                    return false;
                }
            }
        }
        ++n;
    }
    return true;
}

QString cppString(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

int main(int argc, char* argv[])
{
    // Drawn without a display, as --output draws.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_digits OUTPUT.cpp\n");
        return 2;
    }
    const QFont font = voroquarn::aliasedLabelFont();
    const QFontMetricsF metrics(font);
    std::vector<Glyph> glyphs;
    bool exact = true;
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        Glyph glyph{static_cast<int>(std::lround(metrics.horizontalAdvance(QChar(digit)) * 64)), {}};
        for (const QPoint& p : drawnByFont(QString(QChar(digit)), PEN)) {
            glyph.pixels.push_back(p - PEN);
        }
        // A build without the font draws nothing: better the font at run time.
        exact = exact && !glyph.pixels.empty();
        glyphs.push_back(std::move(glyph));
    }
    exact = exact && setLikeTheFont(glyphs);
    if (!exact) {
        std::fprintf(stderr, "draw_digits: the labels will be drawn with the font\n");
    }

    QString source = QStringLiteral(
        "// The digits of the weight labels, drawn by draw_digits at build time in %1; do not edit.\n"
        "#include \"output/BuiltInDigits.h\"\n\n"
        "namespace voroquarn {\n\n")
                         .arg(QFontInfo(font).family());
    if (!exact) {
        source += QStringLiteral("const BuiltInDigits& builtInDigits()\n{\n"
                                 "    static constexpr BuiltInDigits NONE{false, {}, 0, 0, {}};\n"
                                 "    return NONE;\n}\n");
    } else {
        source += QStringLiteral("namespace {\n\nusing Pixel = std::array<std::int8_t, 2>;\n\n");
        for (std::size_t d = 0; d < glyphs.size(); ++d) {
            source += QStringLiteral("constexpr Pixel DIGIT_%1[] = {").arg(d);
            for (const QPoint& p : glyphs[d].pixels) {
                source += QStringLiteral("{%1, %2}, ").arg(p.x()).arg(p.y());
            }
            source += QStringLiteral("};\n");
        }
        source += QStringLiteral("\n}  // namespace\n\nconst BuiltInDigits& builtInDigits()\n{\n"
                                 "    static constexpr BuiltInDigits DIGITS{true, %1, %2, %3, {{\n")
                      .arg(cppString(font.toString()))
                      .arg(voroquarn::fontMetricsDotsPerInch())
                      .arg(QFontMetrics(font).ascent());
        for (std::size_t d = 0; d < glyphs.size(); ++d) {
            source += QStringLiteral("        DigitGlyph{%1, DIGIT_%2},\n").arg(glyphs[d].advance64).arg(d);
        }
        source += QStringLiteral("    }}};\n    return DIGITS;\n}\n");
    }
    source += QStringLiteral("\n}  // namespace voroquarn\n");

    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(source.toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "draw_digits: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
