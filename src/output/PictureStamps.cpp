// Markers and labels as stamps: each drawn once with Qt, then set as the pixels it set.
#include "output/PictureRaster.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <cmath>

#include "output/Rgb.h"

namespace voroquarn {

namespace {

// The pixels whose area meets `bounds`, clipped to `size`; empty when none. The clipping
// is done in double precision, so that any finite or infinite bounds are safe.
QRect pixelsWithin(const QRectF& bounds, QSize size)
{
    const double left = std::max(std::floor(bounds.left()), 0.0);
    const double top = std::max(std::floor(bounds.top()), 0.0);
    const double right = std::min(std::ceil(bounds.right()), static_cast<double>(size.width()));
    const double bottom = std::min(std::ceil(bounds.bottom()), static_cast<double>(size.height()));
    if (!(left < right && top < bottom)) {
        return {};  // also NaN
    }
    return {QPoint(static_cast<int>(left), static_cast<int>(top)),
            QSize(static_cast<int>(right - left), static_cast<int>(bottom - top))};
}

}  // namespace

void PictureRaster::drawCircle(float x, float y, float radius, Colour colour, float aspect)
{
    // The aspect is height over width; the radius belongs to the longer axis.
    const qreal scaled = radius * markerScale_;
    const qreal rx = aspect <= 1 ? scaled : scaled / aspect;
    const qreal ry = aspect <= 1 ? scaled * aspect : scaled;
    const QPointF centre(x, y);
    const int penWidth = outlineWidth(markerScale_);
    position_ = centre;

    // The pen reaches at most its width beyond the outline.
    const qreal reach = 1 + penWidth;
    const QRectF bounds(centre.x() - rx - reach, centre.y() - ry - reach, 2 * (rx + reach), 2 * (ry + reach));
    const StampKey key{0, scaled, aspect, markerScale_, x - std::floor(x), y - std::floor(y), {}};
    stamp(key, centre, bounds, colour, [&](QPainter& painter, const QPointF& at) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(QColor(toRgb(WHITE)));
        pen.setWidth(penWidth);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, rx, ry);
    });
}
void PictureRaster::printNumber(double value, Colour colour)
{
    // value + 0.0 turns a negative zero into "0" rather than "-0".
    const QString text = QString::number(value + 0.0, 'f', 0);
    if (markerScale_ == 1 && setBuiltInDigits(text, colour)) {
        return;
    }
    const QFont font = labelFont(markerScale_);
    const QFontMetrics metrics(font);
    const QPointF baseline = position_ + QPointF(0, metrics.ascent());

    // The text's own extent, with a line's height to spare on every side for glyphs
    // that reach beyond what the metrics say.
    const QRectF extent = QRectF(metrics.boundingRect(text)) | QRectF(0, -metrics.ascent(),
                                                                       metrics.horizontalAdvance(text),
                                                                       metrics.height());
    const qreal spare = metrics.height();
    const StampKey key{1, value + 0.0, 0, markerScale_, static_cast<double>(position_.x()) - std::floor(position_.x()),
                       static_cast<double>(position_.y()) - std::floor(position_.y()), text.toStdU16String()};
    stamp(key, baseline, extent.translated(baseline).adjusted(-spare, -spare, spare, spare), colour,
          [&](QPainter& painter, const QPointF& at) {
              painter.setFont(font);
              painter.setPen(QColor(toRgb(WHITE)));
              painter.drawText(at, text);
          });
}
template <class Paint>
void PictureRaster::stamp(const StampKey& key, QPointF point, const QRectF& bounds, Colour colour, Paint&& paint)
{
    const QRect area = pixelsWithin(bounds, size());
    if (area.isEmpty()) {
        return;  // wholly outside the picture, or no picture
    }
    const int index = indexOf(colour);
    if (index < 0) {
        return;
    }
    // The stamp's pixels count from the pixel corner at or before the key's point, so
    // that the point's fraction of a pixel, part of the key, places it exactly.
    const QPoint anchor(static_cast<int>(std::floor(point.x() - key.fractionX + 0.5)),
                        static_cast<int>(std::floor(point.y() - key.fractionY + 0.5)));
    auto found = stamps_.find(key);
    if (found == stamps_.end()) {
        if (stamps_.size() >= MAX_STAMPS) {
            stamps_.clear();
        }
        found = stamps_.emplace(key, makeStamp(point - QPointF(anchor), bounds.translated(-QPointF(anchor)), paint)).first;
    }
    for (const QPoint& offset : found->second) {
        const QPoint at = anchor + offset;
        if (area.contains(at)) {
            setIndex(at.x(), at.y(), index);
        }
    }
    markChanged(area);
}

template <class Paint>
std::vector<QPoint> PictureRaster::makeStamp(QPointF point, const QRectF& bounds, Paint&& paint) const
{
    const QRect area = bounds.toAlignedRect();
    QImage tile(area.size(), QImage::Format_RGB32);
    std::vector<QPoint> pixels;
    if (tile.isNull()) {
        return pixels;
    }
    tile.setDotsPerMeterX(dotsPerMeterX_);
    tile.setDotsPerMeterY(dotsPerMeterY_);
    tile.fill(Qt::black);
    QPainter painter(&tile);
    paint(painter, point - QPointF(area.topLeft()));
    painter.end();
    for (int y = 0; y < area.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(tile.constScanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            if ((line[x] & 0xFFFFFFU) != 0) {
                pixels.emplace_back(area.left() + x, area.top() + y);
            }
        }
    }
    return pixels;
}
}  // namespace voroquarn
