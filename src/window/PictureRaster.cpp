#include "window/PictureRaster.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
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

QFont labelFont()
{
    QFont font = QGuiApplication::font();
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

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
    const qreal rx = aspect <= 1 ? radius : radius / aspect;
    const qreal ry = aspect <= 1 ? radius * aspect : radius;
    const QPointF centre(x, y);

    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(QColor(toRgb(colour)));
    pen.setWidth(1);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, rx, ry);
    painter.end();

    position_ = centre;
    markChanged(QRectF(x - rx - 2, y - ry - 2, 2 * rx + 4, 2 * ry + 4).toAlignedRect());
}

void PictureRaster::printNumber(double value, Colour colour)
{
    // value + 0.0 turns a negative zero into "0" rather than "-0".
    const QString text = QString::number(value + 0.0, 'f', 0);
    const QFont font = labelFont();
    const QFontMetrics metrics(font);

    QPainter painter(&image_);
    painter.setFont(font);
    painter.setPen(QColor(toRgb(colour)));
    painter.drawText(position_ + QPointF(0, metrics.ascent()), text);
    painter.end();

    const QRect box = metrics.boundingRect(text).translated(position_.toPoint()).translated(0, metrics.ascent());
    markChanged(box.adjusted(-2, -2, 2, 2));
}

void PictureRaster::loadFontDatabase() { QFontDatabase::families(); }

void PictureRaster::prepareLabelFont()
{
    // A label of every digit, drawn the way the picture's labels are.
    PictureRaster scratch(QSize(160, 40));
    scratch.printNumber(1234567890, WHITE);
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
