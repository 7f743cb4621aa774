#include "output/SmoothStroke.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "output/PictureRaster.h"

namespace voroquarn {

namespace {

// The colour `level` fifteenths of the way from `from` to `to`, channel by channel.
Colour mix(Colour from, Colour to, int level)
{
    Colour mixed = 0;
    for (unsigned shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((from >> shift) & 0xFFU);
        const int b = static_cast<int>((to >> shift) & 0xFFU);
        const int c = (a * (SmoothStroke::STEPS - level) + b * level + SmoothStroke::STEPS / 2) / SmoothStroke::STEPS;
        mixed |= static_cast<Colour>(c) << shift;
    }
    return mixed;
}

}  // namespace

void SmoothStroke::draw(PictureRaster& raster, std::span<const PlanePoint> points, Colour colour, double width)
{
    if (points.empty()) {
        return;
    }
    // The pixels the line may touch: its points' box, widened by half the line and a
    // pixel for the antialiasing.
    double left = points.front().x;
    double right = left;
    double top = points.front().y;
    double bottom = top;
    for (const PlanePoint& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const double reach = width / 2 + 1;
    const QRectF wanted(QPointF(left - reach, top - reach), QPointF(right + reach, bottom + reach));
    blend(raster, wanted, colour, [&](QPainter& painter, QPoint origin) {
        polyline_.clear();
        // Pixel (x, y) covers Qt's square from (x, y) to (x + 1, y + 1), centred half a pixel on.
        for (const PlanePoint& p : points) {
            polyline_.emplace_back(p.x + 0.5 - origin.x(), p.y + 0.5 - origin.y());
        }
        painter.setPen(QPen(QColor(0, 0, 0, 255), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(polyline_.data(), static_cast<int>(polyline_.size()));
    });
}

void SmoothStroke::drawRing(PictureRaster& raster, QPointF centre, double rx, double ry, Colour colour, double width)
{
    const double reach = width / 2 + 1;
    const QRectF wanted(centre.x() - rx - reach, centre.y() - ry - reach, 2 * (rx + reach), 2 * (ry + reach));
    blend(raster, wanted, colour, [&](QPainter& painter, QPoint origin) {
        painter.setPen(QPen(QColor(0, 0, 0, 255), width));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre + QPointF(0.5, 0.5) - QPointF(origin), rx, ry);
    });
}

void SmoothStroke::drawText(PictureRaster& raster, QPointF corner, const QString& text, const QFont& font,
                            Colour colour)
{
    const QFontMetricsF metrics(font);
    const QPointF baseline = corner + QPointF(0, metrics.ascent());
    // The text's extent, with a pixel to spare for the antialiasing.
    const QRectF wanted = (metrics.boundingRect(text) | QRectF(0, -metrics.ascent(), metrics.horizontalAdvance(text),
                                                              metrics.height()))
                              .translated(baseline)
                              .adjusted(-1, -1, 1, 1);
    blend(raster, wanted, colour, [&](QPainter& painter, QPoint origin) {
        painter.setFont(font);
        painter.setPen(QColor(0, 0, 0, 255));
        painter.drawText(baseline - QPointF(origin), text);
    });
}

template <class Paint>
void SmoothStroke::blend(PictureRaster& raster, const QRectF& wanted, Colour colour, Paint&& paint)
{
    if (raster.isNull()) {
        return;
    }
    const QRect picture = raster.rect();
    if (!(wanted.right() >= 0 && wanted.left() < picture.width() && wanted.bottom() >= 0 &&
          wanted.top() < picture.height())) {
        return;  // also every NaN
    }
    const QRect area = QRectF(QPointF(std::max(wanted.left(), -1.0), std::max(wanted.top(), -1.0)),
                              QPointF(std::min(wanted.right(), picture.width() + 1.0),
                                      std::min(wanted.bottom(), picture.height() + 1.0)))
                           .toAlignedRect() &
                       picture;
    if (area.isEmpty()) {
        return;
    }
    if (mask_.width() < area.width() || mask_.height() < area.height()) {
        mask_ = QImage(std::max(mask_.width(), area.width()), std::max(mask_.height(), area.height()),
                       QImage::Format_Alpha8);
    }
    mask_.fill(0);
    {
        QPainter painter(&mask_);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter, area.topLeft());
    }
    for (int y = 0; y < area.height(); ++y) {
        const uchar* coverage = mask_.constScanLine(y);
        for (int x = 0; x < area.width(); ++x) {
            const int level = (coverage[x] * STEPS + 127) / 255;
            if (level == 0) {
                continue;
            }
            const int px = area.x() + x;
            const int py = area.y() + y;
            const Colour now = raster.colourAt(px, py);
            Shade shade{now, colour, 0};
            if (const auto known = shades_.find(now); known != shades_.end() && known->second.toward == colour) {
                shade = known->second;
            }
            if (level <= shade.level) {
                continue;
            }
            shade.level = level;
            const Colour mixed = mix(shade.base, colour, level);
            shades_.insert_or_assign(mixed, shade);
            raster.setPixel(static_cast<float>(px), static_cast<float>(py), mixed);
        }
    }
}

}  // namespace voroquarn
