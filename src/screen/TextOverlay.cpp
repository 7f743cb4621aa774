#include "screen/TextOverlay.h"

#include <QFontMetrics>
#include <QPainter>

namespace voroquarn {

namespace {

// As the hacks place it: this far from the left and bottom edges, the text this far
// inside its box, in the window's units.
constexpr int EDGE = 10;
constexpr int PADDING = 4;
constexpr int FONT_PIXELS = 18;

}  // namespace

QFont TextOverlay::font(qreal scale)
{
    QFont font(QStringLiteral("monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setBold(true);
    font.setPixelSize(qRound(FONT_PIXELS * scale));
    return font;
}

QRect TextOverlay::box(QSize picture, qreal scale) const
{
    if (text_.isEmpty()) {
        return {};
    }
    const QRect text = QFontMetrics(font(scale)).boundingRect(QRect(), Qt::AlignLeft | Qt::AlignBottom, text_);
    const int padding = qRound(PADDING * scale);
    const int edge = qRound(EDGE * scale);
    const QSize size = text.size() + QSize(2 * padding, 2 * padding);
    return {QPoint(edge, picture.height() - edge - size.height()), size};
}

QString TextOverlay::fitted(const QString& line, int pictureWidth, qreal scale)
{
    const QFontMetricsF metrics(font(scale));
    const qreal room = pictureWidth - 2 * qRound(EDGE * scale) - 2 * qRound(PADDING * scale);
    return metrics.horizontalAdvance(line) <= room ? line : metrics.elidedText(line, Qt::ElideMiddle, room);
}

void TextOverlay::paint(QPainter& painter, const QRegion& region, QSize picture, qreal scale) const
{
    const QRect at = box(picture, scale);
    if (at.isEmpty() || !region.intersects(at)) {
        return;
    }
    painter.save();
    painter.setClipRegion(region);
    painter.fillRect(at, Qt::black);
    painter.setPen(Qt::white);
    painter.setFont(font(scale));
    const int padding = qRound(PADDING * scale);
    painter.drawText(at.adjusted(padding, padding, -padding, -padding), Qt::AlignLeft | Qt::AlignBottom, text_);
    painter.restore();
}

}  // namespace voroquarn
