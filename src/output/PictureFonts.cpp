// The labels' font, the room markers and labels take, and the digits drawn at build time.
#include "output/PictureRaster.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "output/BuiltInDigits.h"

namespace voroquarn {

QFont PictureRaster::labelFont(qreal scale, bool smooth)
{
    QFont font = aliasedLabelFont();
    if (smooth) {
        font.setStyleStrategy(QFont::PreferAntialias);
    }
    if (scale != 1) {
        if (font.pixelSize() > 0) {
            font.setPixelSize(qRound(font.pixelSize() * scale));
        } else {
            font.setPointSizeF(font.pointSizeF() * scale);
        }
    }
    return font;
}

qreal PictureRaster::digitHeight()
{
    return QFontMetricsF(labelFont(1)).tightBoundingRect(QStringLiteral("0123456789")).height();
}

QRectF PictureRaster::markerBox(float radius, qreal scale)
{
    const qreal reach = radius * scale + outlineWidth(scale);
    QRectF box(-reach, -reach, 2 * reach, 2 * reach);
    const QFontMetrics metrics(labelFont(scale));
    for (const QChar digit : QStringLiteral("0123456789")) {
        box |= QRectF(metrics.boundingRect(QString(3, digit))).translated(0, metrics.ascent());
    }
    return box;
}
MarkSizes PictureRaster::markSizes(float radius, qreal scale)
{
    const QFontMetricsF metrics(labelFont(scale));
    qreal digitWidth = 0;
    qreal digitsTop = metrics.ascent();
    for (const QChar digit : QStringLiteral("0123456789")) {
        digitWidth = std::max(digitWidth, metrics.horizontalAdvance(digit));
        digitsTop = std::min(digitsTop, metrics.ascent() + metrics.tightBoundingRect(digit).top());
    }
    // Half a pixel more reach: markers may be drawn a quarter of a pixel off their site.
    return {radius * scale + outlineWidth(scale) + 0.5, digitWidth, metrics.height(),
            (digitsTop + metrics.ascent()) / 2, 2 * scale};
}
bool PictureRaster::labelsNeedFont(qreal scale)
{
    if (scale != 1) {
        return true;
    }
    const BuiltInDigits& digits = builtInDigits();
    return !digits.exact || fontMetricsDotsPerInch() != digits.dotsPerInch ||
           aliasedLabelFont().toString() != QLatin1String(digits.font.data(), static_cast<qsizetype>(digits.font.size()));
}
bool PictureRaster::setBuiltInDigits(const QString& text, Colour colour)
{
    if (labelsNeedFont_ < 0) {
        labelsNeedFont_ = labelsNeedFont(1) ? 1 : 0;
    }
    if (labelsNeedFont_ != 0 || !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return false;
    }
    const BuiltInDigits& digits = builtInDigits();
    // As Qt lays the label out: the pen steps in 64ths of a pixel from the 64th at or
    // before the label's place, each digit is set from the pixel its pen is in, and the
    // baseline is the nearest row.
    double pen = std::floor(static_cast<double>(position_.x()) * 64);
    const double row = std::floor(static_cast<double>(position_.y()) + digits.ascent + 0.5);
    // A glyph reaches less than a line's height from its pen; a label wholly outside
    // the picture sets nothing, and the columns and rows below fit in an int.
    const double reach = 4.0 * digits.ascent;
    const double length = static_cast<double>(text.size()) * reach;
    if (!(pen / 64 + length + reach > 0 && pen / 64 - reach < size().width() && row + reach > 0 &&
          row - reach < size().height())) {
        return true;
    }
    const int index = indexOf(colour);
    if (index < 0) {
        return true;
    }
    QRect changed;
    for (const QChar c : text) {
        const DigitGlyph& glyph = digits.glyphs[static_cast<std::size_t>(c.unicode() - u'0')];
        const auto column = static_cast<int>(std::floor(pen / 64));
        for (const auto& [dx, dy] : glyph.pixels) {
            const QPoint at(column + dx, static_cast<int>(row) + dy);
            if (rect().contains(at)) {
                setIndex(at.x(), at.y(), index);
                changed |= QRect(at, QSize(1, 1));
            }
        }
        pen += glyph.advance64;
    }
    markChanged(changed);
    return true;
}
void PictureRaster::loadFontDatabase() { QFontDatabase::families(); }

void PictureRaster::prepareLabelFont()
{
    if (!labelsNeedFont(1)) {
        return;
    }
    // A label of every digit, drawn the way the picture's labels are.
    PictureRaster scratch(QSize(160, 40));
    scratch.printNumber(1234567890, WHITE);
}
}  // namespace voroquarn
