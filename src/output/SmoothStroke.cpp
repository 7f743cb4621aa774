#include "output/SmoothStroke.h"

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
    if (points.empty() || raster.isNull()) {
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
    const QRect picture = raster.image().rect();
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
    polyline_.clear();
    // Pixel (x, y) covers Qt's square from (x, y) to (x + 1, y + 1), centred half a pixel on.
    for (const PlanePoint& p : points) {
        polyline_.emplace_back(p.x + 0.5 - area.x(), p.y + 0.5 - area.y());
    }
    {
        QPainter painter(&mask_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 0, 0, 255), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(polyline_.data(), static_cast<int>(polyline_.size()));
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
