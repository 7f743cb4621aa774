#include "window/PictureRaster.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace voroquarn {

namespace {

// Changed areas are kept one by one up to this many; beyond it they are merged into one
// bounding rectangle, which is never wrong, only slower to put on screen.
constexpr std::size_t MAX_CHANGED_AREAS = 1024;

QRgb toRgb(Colour colour)
{
    return qRgb(static_cast<int>(colour & 0xFFU), static_cast<int>((colour >> 8U) & 0xFFU),
                static_cast<int>((colour >> 16U) & 0xFFU));
}

QFont labelFont(qreal scale)
{
    QFont font = QGuiApplication::font();
    font.setStyleStrategy(QFont::NoAntialias);
    if (scale != 1) {
        if (font.pixelSize() > 0) {
            font.setPixelSize(qRound(font.pixelSize() * scale));
        } else {
            font.setPointSizeF(font.pointSizeF() * scale);
        }
    }
    return font;
}

// The pen of a circle's outline, as wide as a pixel at marker scale 1.
int outlineWidth(qreal scale) { return std::max(1, qRound(scale)); }

}  // namespace

PictureRaster::PictureRaster(QSize size) : image_(size, QImage::Format_RGB32)
{
    image_.fill(toRgb(BLACK));
    changed_.reserve(MAX_CHANGED_AREAS);
}

void PictureRaster::growTo(QSize size, Colour background)
{
    const QSize grown = image_.size().expandedTo(size);
    if (grown == image_.size()) {
        return;
    }
    QImage larger(grown, QImage::Format_RGB32);
    larger.fill(toRgb(background));
    QPainter painter(&larger);
    painter.drawImage(0, 0, image_);
    painter.end();
    image_ = std::move(larger);
    markChanged(image_.rect());
}

void PictureRaster::clearTo(QSize size, Colour background)
{
    if (size != image_.size()) {
        image_ = QImage(size, QImage::Format_RGB32);
    }
    fill(background);
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

void PictureRaster::fill(Colour colour)
{
    image_.fill(toRgb(colour));
    markChanged(image_.rect());
}

void PictureRaster::setPixel(float x, float y, Colour colour)
{
    // Rounded in double precision, where x + 0.5 is exact for every float; half-way
    // points go to the pixel on the right or below.
    const double column = std::floor(static_cast<double>(x) + 0.5);
    const double row = std::floor(static_cast<double>(y) + 0.5);
    if (!(column >= 0 && column < image_.width() && row >= 0 && row < image_.height())) {
        return;  // also every NaN
    }
    const int px = static_cast<int>(column);
    const int py = static_cast<int>(row);
    reinterpret_cast<QRgb*>(image_.scanLine(py))[px] = toRgb(colour);
    markChanged(QRect(px, py, 1, 1));
}

void PictureRaster::drawCircle(float x, float y, float radius, Colour colour, float aspect)
{
    // The aspect is height over width; the radius belongs to the longer axis.
    const qreal scaled = radius * markerScale_;
    const qreal rx = aspect <= 1 ? scaled : scaled / aspect;
    const qreal ry = aspect <= 1 ? scaled * aspect : scaled;
    const QPointF centre(x, y);
    const int penWidth = outlineWidth(markerScale_);

    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(QColor(toRgb(colour)));
    pen.setWidth(penWidth);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, rx, ry);
    painter.end();

    position_ = centre;
    const qreal reach = 1 + penWidth;
    markChanged(QRectF(x - rx - reach, y - ry - reach, 2 * (rx + reach), 2 * (ry + reach)).toAlignedRect());
}

void PictureRaster::printNumber(double value, Colour colour)
{
    // value + 0.0 turns a negative zero into "0" rather than "-0".
    const QString text = QString::number(value + 0.0, 'f', 0);
    const QFont font = labelFont(markerScale_);
    const QFontMetrics metrics(font);

    QPainter painter(&image_);
    painter.setFont(font);
    painter.setPen(QColor(toRgb(colour)));
    painter.drawText(position_ + QPointF(0, metrics.ascent()), text);
    painter.end();

    const QRect box = metrics.boundingRect(text).translated(position_.toPoint()).translated(0, metrics.ascent());
    markChanged(box.adjusted(-2, -2, 2, 2));
}

void PictureRaster::markChanged(const QRect& rect)
{
    const QRect inside = rect & image_.rect();
    if (inside.isEmpty()) {
        return;
    }
    if (!changed_.empty() && changed_.back().contains(inside)) {
        return;
    }
    if (changed_.size() == MAX_CHANGED_AREAS) {
        QRect bounds = inside;
        for (const QRect& r : changed_) {
            bounds |= r;
        }
        changed_.clear();
        changed_.push_back(bounds);
        return;
    }
    changed_.push_back(inside);
}

}  // namespace voroquarn
