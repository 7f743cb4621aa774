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

// The segment from a to b, for the squared distance of points to it.
struct Segment {
    PlanePoint a;
    double dx;
    double dy;
    double inverseLength2;

    Segment(PlanePoint from, PlanePoint to)
        : a(from), dx(to.x - from.x), dy(to.y - from.y),
          inverseLength2(dx * dx + dy * dy > 0 ? 1 / (dx * dx + dy * dy) : 0)
    {
    }

    double squaredDistance(double x, double y) const
    {
        const double t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) * inverseLength2, 0.0, 1.0);
        const double ex = x - (a.x + t * dx);
        const double ey = y - (a.y + t * dy);
        return ex * ex + ey * ey;
    }
};

}  // namespace

void SmoothStroke::draw(PictureRaster& raster, std::span<const PlanePoint> points, Colour colour, double width)
{
    if (points.empty() || raster.isNull()) {
        return;
    }
    // A pixel's share is how far the line's edge passes its centre, at most one: exact
    // beside an edge along a row or column, and without the 26 000 instructions that
    // Qt's stroker spends setting up each stretch of three pixels.
    const double reach = width / 2 + 0.5;
    if (points.size() == 1) {
        drawSegment(raster, points.front(), points.front(), colour, reach);
    }
    for (std::size_t k = 1; k < points.size(); ++k) {
        drawSegment(raster, points[k - 1], points[k], colour, reach);
    }
}

void SmoothStroke::drawRing(PictureRaster& raster, QPointF centre, double rx, double ry, Colour colour, double width)
{
    const double reach = width / 2 + 1;
    const QRectF wanted(centre.x() - rx - reach, centre.y() - ry - reach, 2 * (rx + reach), 2 * (ry + reach));
    blendPainted(raster, wanted, colour, [&](QPainter& painter, QPoint origin) {
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
    blendPainted(raster, wanted, colour, [&](QPainter& painter, QPoint origin) {
        painter.setFont(font);
        painter.setPen(QColor(0, 0, 0, 255));
        painter.drawText(baseline - QPointF(origin), text);
    });
}

void SmoothStroke::drawSegment(PictureRaster& raster, PlanePoint a, PlanePoint b, Colour colour, double reach)
{
    if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y))) {
        return;
    }
    const QSize size = raster.size();
    const double top = std::max(std::min(a.y, b.y) - reach, 0.0);
    const double bottom = std::min(std::max(a.y, b.y) + reach, size.height() - 1.0);
    if (!(top <= bottom)) {
        return;
    }
    const Segment segment(a, b);
    const double reach2 = reach * reach;
    // Across a row, the line reaches this far to either side of where it crosses it.
    const double across = reach * std::hypot(segment.dx, segment.dy) / std::abs(segment.dy);
    for (int y = static_cast<int>(std::ceil(top)); y <= static_cast<int>(std::floor(bottom)); ++y) {
        double left = std::min(a.x, b.x) - reach;
        double right = std::max(a.x, b.x) + reach;
        if (segment.dy != 0) {
            const double crossing = a.x + (y - a.y) * segment.dx / segment.dy;
            left = std::max(left, crossing - across);
            right = std::min(right, crossing + across);
        }
        left = std::max(left, 0.0);
        right = std::min(right, size.width() - 1.0);
        if (!(left <= right)) {
            continue;
        }
        for (int x = static_cast<int>(std::ceil(left)); x <= static_cast<int>(std::floor(right)); ++x) {
            const double distance2 = segment.squaredDistance(x, y);
            if (!(distance2 < reach2)) {
                continue;
            }
            const int level = static_cast<int>(std::min(reach - std::sqrt(distance2), 1.0) * STEPS + 0.5);
            if (level > 0) {
                blend(raster, x, y, colour, level);
            }
        }
    }
}

void SmoothStroke::blend(PictureRaster& raster, int x, int y, Colour colour, int level)
{
    const Colour now = raster.colourAt(x, y);
    Shade shade{now, colour, 0};
    if (const auto known = shades_.find(now); known != shades_.end() && known->second.toward == colour) {
        shade = known->second;
    }
    if (level <= shade.level) {
        return;
    }
    shade.level = level;
    const Colour mixed = mix(shade.base, colour, level);
    shades_.insert_or_assign(mixed, shade);
    raster.setPixel(static_cast<float>(x), static_cast<float>(y), mixed);
}

template <class Paint>
void SmoothStroke::blendPainted(PictureRaster& raster, const QRectF& wanted, Colour colour, Paint&& paint)
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
            blend(raster, area.x() + x, area.y() + y, colour, level);
        }
    }
}

}  // namespace voroquarn
