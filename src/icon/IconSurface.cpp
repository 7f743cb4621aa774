#include "icon/IconSurface.h"

#include <QPainter>
#include <QTransform>

#include "core/WindowMetrics.h"
#include "icon/IconTile.h"

namespace voroquarn {

namespace {

QColor toColor(Colour colour)
{
    return {static_cast<int>(colour & 0xFFU), static_cast<int>((colour >> 8U) & 0xFFU),
            static_cast<int>((colour >> 16U) & 0xFFU)};
}

}  // namespace

IconSurface::IconSurface(int iconSize, double lineWidth) : iconSize_(iconSize), lineWidth_(lineWidth) {}

void IconSurface::clear()
{
    sites_.clear();
    points_.clear();
    spans_.clear();
}

float IconSurface::outerWidth() const
{
    const int side = iconSize_ * SUPERSAMPLING;
    return outerSize(side, side).width;
}

float IconSurface::outerHeight() const
{
    const int side = iconSize_ * SUPERSAMPLING;
    return outerSize(side, side).height;
}

void IconSurface::drawCircle(float x, float y, float /*radius*/, Colour colour, float /*aspect*/)
{
    sites_.push_back({QPointF(x, y), colour});
}

void IconSurface::setPixel(float x, float y, Colour colour) { points_.push_back({QPointF(x, y), colour}); }

// Each span is painted whole, under the boundaries and the dots, which the icon paints
// after all spans.
void IconSurface::fillBackground(int y, int left, int right, Colour colour)
{
    spans_.push_back({y, left, right, colour});
}

QImage IconSurface::icon() const
{
    const int side = iconSize_ * SUPERSAMPLING;
    QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(QTransform::fromScale(SUPERSAMPLING, SUPERSAMPLING).map(IconTile::path(iconSize_)));
    painter.fillRect(picture.rect(), toColor(BLACK));
    for (const Span& span : spans_) {
        painter.fillRect(span.left, span.y, span.right - span.left, 1, toColor(span.colour));
    }
    painter.setPen(Qt::NoPen);
    // Every boundary point becomes a disc as wide as the line; the points of a sweep lie
    // less than a pixel apart, so the discs join into a line.
    const double line = lineWidth_ * SUPERSAMPLING / 2;
    for (const Mark& point : points_) {
        painter.setBrush(toColor(point.colour));
        painter.drawEllipse(point.at, line, line);
    }
    const double dot = SITE_DOT * line;
    for (const Mark& site : sites_) {
        painter.setBrush(toColor(site.colour));
        painter.drawEllipse(site.at, dot, dot);
    }
    painter.end();
    return picture.scaled(iconSize_, iconSize_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace voroquarn
