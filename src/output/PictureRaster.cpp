#include "output/PictureRaster.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/nearestPixel.h"
#include "output/BuiltInDigits.h"

namespace voroquarn {

namespace {

// Changed areas are kept one by one up to this many; beyond it they are merged into one
// bounding rectangle, which is never wrong, only slower to put on screen.
constexpr std::size_t MAX_CHANGED_AREAS = 1024;

// An indexed picture holds at most this many colours; beyond, the nearest one is used.
constexpr int MAX_COLOURS = 256;

QRgb toRgb(Colour colour)
{
    return qRgb(static_cast<int>(colour & 0xFFU), static_cast<int>((colour >> 8U) & 0xFFU),
                static_cast<int>((colour >> 16U) & 0xFFU));
}

// The pen of a circle's outline, as wide as a pixel at marker scale 1.
int outlineWidth(qreal scale) { return std::max(1, qRound(scale)); }

void freeBuffer(void* buffer) { std::free(buffer); }

// The bytes of a line of `width` pixels of `bitsPerPixel`: lines start on 32-bit
// boundaries, as Qt's own images do.
qsizetype bytesPerLineOf(int width, int bitsPerPixel)
{
    return (static_cast<qsizetype>(width) * bitsPerPixel + 31) / 32 * 4;
}

// Zeroed memory for `size` pixels of `bitsPerPixel`, or null when it cannot be had.
uchar* allocateLines(QSize size, int bitsPerPixel)
{
    const qsizetype bytesPerLine = bytesPerLineOf(size.width(), bitsPerPixel);
    if (size.isEmpty() || bytesPerLine > std::numeric_limits<qsizetype>::max() / size.height()) {
        return nullptr;
    }
    return static_cast<uchar*>(std::calloc(static_cast<std::size_t>(bytesPerLine * size.height()), 1));
}

// A zeroed image of the given size and format in memory of its own, or a null image when
// the memory cannot be had. QImage would say so with a warning of its own; this way the
// caller says it once, in its own words.
QImage allocateImage(QSize size, QImage::Format format, const QList<QRgb>& colours)
{
    const int bitsPerPixel = format == QImage::Format_Mono ? 1 : 8;
    uchar* buffer = allocateLines(size, bitsPerPixel);
    if (buffer == nullptr) {
        return {};
    }
    QImage image(buffer, size.width(), size.height(), bytesPerLineOf(size.width(), bitsPerPixel), format, freeBuffer,
                 buffer);
    image.setColorTable(colours);
    return image;
}

// The index of pixel x of a line of four bits a pixel, and setting it.
unsigned nibbleAt(const uchar* line, int x)
{
    return (static_cast<unsigned>(line[x / 2]) >> ((x & 1) != 0 ? 0U : 4U)) & 0xFU;
}

void setNibble(uchar* line, int x, unsigned index)
{
    const unsigned shift = (x & 1) != 0 ? 0U : 4U;
    line[x / 2] = static_cast<uchar>((line[x / 2] & ~(0xFU << shift)) | (index << shift));
}

// Every byte of the word is `byte`.
constexpr std::uint64_t EVERY_BYTE = 0x0101010101010101ULL;

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

PictureRaster::PictureRaster(QSize size)
    : image_(freshImage(size)), dotsPerMeterX_(image_.dotsPerMeterX()), dotsPerMeterY_(image_.dotsPerMeterY())
{
    changed_.reserve(MAX_CHANGED_AREAS);
}

QImage PictureRaster::freshImage(QSize size)
{
    return allocateImage(size, QImage::Format_Mono, {toRgb(BLACK), toRgb(WHITE)});
}

void PictureRaster::FreeBuffer::operator()(uchar* buffer) const { std::free(buffer); }

int PictureRaster::depth() const
{
    if (nibbles_.data) {
        return 4;
    }
    return image_.format() == QImage::Format_Mono ? 1 : 8;
}

uchar* PictureRaster::scanLine(int y)
{
    return nibbles_.data ? nibbles_.data.get() + y * nibbles_.bytesPerLine : image_.scanLine(y);
}

const uchar* PictureRaster::constScanLine(int y) const
{
    return nibbles_.data ? nibbles_.data.get() + y * nibbles_.bytesPerLine : image_.constScanLine(y);
}

const QImage& PictureRaster::image() const
{
    if (!nibbles_.data) {
        return image_;
    }
    if (!convertedFresh_) {
        converted_ = bytesFromNibbles();
        convertedFresh_ = true;
    }
    return converted_;
}

IndexedLines PictureRaster::lines() const
{
    return {size(), depth(), nibbles_.data ? nibbles_.colours : image_.colorTable(),
            [this](int y) { return constScanLine(y); }};
}

void PictureRaster::clearTo(QSize size, Colour background)
{
    if (size != this->size() || depth() != 1) {
        nibbles_ = {};
        converted_ = {};
        image_ = freshImage(size);
        lastColour_ = BLACK;
        lastIndex_ = 0;
        uniformIndex_ = 0;
    }
    fill(background);
}

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

Colour PictureRaster::colourAt(int x, int y) const
{
    const uchar* line = constScanLine(y);
    const int bits = depth();
    const unsigned index = bits == 8   ? line[x]
                           : bits == 4 ? nibbleAt(line, x)
                                       : (line[x / 8] >> (7U - (static_cast<unsigned>(x) & 7U))) & 1U;
    const QRgb rgb = paletteColour(static_cast<int>(index));
    return static_cast<Colour>(qRed(rgb)) | static_cast<Colour>(qGreen(rgb)) << 8U |
           static_cast<Colour>(qBlue(rgb)) << 16U;
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

void PictureRaster::growTo(QSize size, Colour background)
{
    const QSize grown = this->size().expandedTo(size);
    if (isNull() || grown == this->size()) {
        return;
    }
    const int index = indexOf(background);
    if (index < 0) {
        return;
    }
    if (nibbles_.data) {
        std::unique_ptr<uchar, FreeBuffer> larger(allocateLines(grown, 4));
        if (!larger) {
            return;
        }
        const qsizetype bytesPerLine = bytesPerLineOf(grown.width(), 4);
        std::memset(larger.get(), index * 0x11, static_cast<std::size_t>(bytesPerLine * grown.height()));
        const int width = nibbles_.size.width();
        for (int y = 0; y < nibbles_.size.height(); ++y) {
            uchar* line = larger.get() + y * bytesPerLine;
            const uchar* old = constScanLine(y);
            std::memcpy(line, old, static_cast<std::size_t>(width / 2));
            if (width % 2 != 0) {
                setNibble(line, width - 1, nibbleAt(old, width - 1));
            }
        }
        nibbles_.size = grown;
        nibbles_.bytesPerLine = bytesPerLine;
        nibbles_.data = std::move(larger);
        uniformIndex_ = -1;
        markChanged(rect());
        return;
    }
    QImage larger = allocateImage(grown, image_.format(), image_.colorTable());
    if (larger.isNull()) {
        return;
    }
    larger.fill(static_cast<uint>(index));
    const auto oldBytes = static_cast<std::size_t>(image_.bytesPerLine());
    for (int y = 0; y < image_.height(); ++y) {
        uchar* line = larger.scanLine(y);
        const uchar* old = image_.constScanLine(y);
        if (image_.format() == QImage::Format_Indexed8) {
            std::memcpy(line, old, oldBytes);
            continue;
        }
        // One bit a pixel: whole bytes, then the old picture's last bits one by one.
        const int wholeBytes = image_.width() / 8;
        std::memcpy(line, old, static_cast<std::size_t>(wholeBytes));
        for (int x = wholeBytes * 8; x < image_.width(); ++x) {
            const uchar bit = static_cast<uchar>(0x80U >> (static_cast<unsigned>(x) & 7U));
            line[x / 8] = static_cast<uchar>((old[x / 8] & bit) != 0 ? line[x / 8] | bit : line[x / 8] & ~bit);
        }
    }
    image_ = std::move(larger);
    uniformIndex_ = -1;
    markChanged(image_.rect());
}

void PictureRaster::fill(Colour colour)
{
    const int index = indexOf(colour);
    if (index < 0) {
        return;
    }
    if (index != uniformIndex_) {
        if (nibbles_.data) {
            std::memset(nibbles_.data.get(), index * 0x11,
                        static_cast<std::size_t>(nibbles_.bytesPerLine * nibbles_.size.height()));
        } else {
            image_.fill(static_cast<uint>(index));
        }
        uniformIndex_ = index;
    }
    markChanged(rect());
}

void PictureRaster::setPixel(float x, float y, Colour colour)
{
    const double column = nearestPixel(x);
    const double row = nearestPixel(y);
    if (!(column >= 0 && column < size().width() && row >= 0 && row < size().height())) {
        return;  // also every NaN
    }
    const int index = indexOf(colour);
    if (index < 0) {
        return;
    }
    const int px = static_cast<int>(column);
    const int py = static_cast<int>(row);
    setIndex(px, py, index);
    markChanged(QRect(px, py, 1, 1));
}

void PictureRaster::fillWhere(int y, int left, int right, Colour over, Colour colour)
{
    const int from = std::max(left, 0);
    const int to = std::min(right, size().width());
    if (isNull() || y < 0 || y >= size().height() || from >= to) {
        return;
    }
    // Looked up, not added: a colour the picture does not have is on none of its pixels.
    const QRgb overRgb = toRgb(over);
    int overIndex = -1;
    for (int k = 0; k < colourCount() && overIndex < 0; ++k) {
        overIndex = paletteColour(k) == overRgb ? k : -1;
    }
    if (overIndex < 0 || (uniformIndex_ >= 0 && uniformIndex_ != overIndex)) {
        return;
    }
    const int index = indexOf(colour);  // may widen the picture; indices stay
    if (index < 0 || index == overIndex) {
        return;
    }
    uniformIndex_ = -1;
    uchar* line = scanLine(y);
    if (depth() == 4) {
        fillNibblesWhere(line, from, to, static_cast<unsigned>(overIndex), static_cast<unsigned>(index));
    } else if (depth() == 8) {
        // Eight pixels at a time where all eight have the colour filled over, as most
        // have; one by one elsewhere.
        const auto from8 = static_cast<uchar>(overIndex);
        const auto to8 = static_cast<uchar>(index);
        const auto one = [&](int x) { line[x] = line[x] == from8 ? to8 : line[x]; };
        const std::uint64_t fromWord = EVERY_BYTE * from8;
        const std::uint64_t toWord = EVERY_BYTE * to8;
        int x = from;
        for (; x + 8 <= to; x += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, line + x, sizeof word);
            if (word == fromWord) {
                std::memcpy(line + x, &toWord, sizeof toWord);
            } else {
                for (int k = x; k < x + 8; ++k) {
                    one(k);
                }
            }
        }
        for (; x < to; ++x) {
            one(x);
        }
    } else {
        // One bit a pixel: two colours, so every pixel of the other one changes.
        for (int x = from; x < to; ++x) {
            const auto bit = static_cast<uchar>(0x80U >> (static_cast<unsigned>(x) & 7U));
            line[x / 8] = static_cast<uchar>(line[x / 8] ^ (((line[x / 8] & bit) != 0) == (overIndex != 0) ? bit : 0U));
        }
    }
    markChanged(QRect(from, y, to - from, 1));
}

void PictureRaster::fillRect(const QRect& rect, Colour colour)
{
    const QRect inside = rect & this->rect();
    const int index = inside.isEmpty() ? -1 : indexOf(colour);
    if (index < 0) {
        return;
    }
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            setIndex(x, y, index);
        }
    }
    markChanged(inside);
}

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

bool PictureRaster::labelsNeedFont(qreal scale)
{
    if (scale != 1) {
        return true;
    }
    const BuiltInDigits& digits = builtInDigits();
    return !digits.exact || fontMetricsDotsPerInch() != digits.dotsPerInch ||
           aliasedLabelFont().toString() != QLatin1String(digits.font.data(), static_cast<qsizetype>(digits.font.size()));
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

void PictureRaster::copyRgb32(const QRect& area, QImage& target, QPoint at) const
{
    const QList<QRgb> colours = nibbles_.data ? nibbles_.colours : image_.colorTable();
    const int width = area.width();
    using Quad = std::array<QRgb, 4>;
    std::array<Quad, 16> quads{};
    if (depth() == 1 && width >= 8) {
        for (unsigned pattern = 0; pattern < 16; ++pattern) {
            for (unsigned k = 0; k < 4; ++k) {
                quads[pattern][k] = colours[(pattern >> (3U - k)) & 1U];
            }
        }
    }
    for (int y = 0; y < area.height(); ++y) {
        const uchar* from = constScanLine(area.top() + y);
        auto* to = reinterpret_cast<QRgb*>(target.scanLine(at.y() + y)) + at.x();
        if (depth() == 8) {
            for (int x = 0; x < width; ++x) {
                to[x] = colours[from[area.left() + x]];
            }
            continue;
        }
        if (depth() == 4) {
            for (int x = 0; x < width; ++x) {
                to[x] = colours[static_cast<qsizetype>(nibbleAt(from, area.left() + x))];
            }
            continue;
        }
        // One bit a pixel, most significant first. Whole bytes go four pixels at a time,
        // through the colours of every four-bit pattern.
        const auto colourOf = [&](unsigned column) {
            return colours[(from[column / 8] >> (7U - column % 8)) & 1U];
        };
        int x = 0;
        auto column = static_cast<unsigned>(area.left());
        for (; x < width && column % 8 != 0; ++x, ++column) {
            to[x] = colourOf(column);
        }
        for (; x + 8 <= width; x += 8, column += 8) {
            const unsigned byte = from[column / 8];
            std::memcpy(to + x, quads[byte >> 4U].data(), sizeof(Quad));
            std::memcpy(to + x + 4, quads[byte & 15U].data(), sizeof(Quad));
        }
        for (; x < width; ++x, ++column) {
            to[x] = colourOf(column);
        }
    }
}

int PictureRaster::indexOf(Colour colour)
{
    if (colour == lastColour_ && !isNull()) {
        return lastIndex_;
    }
    if (isNull()) {
        return -1;
    }
    const QRgb rgb = toRgb(colour);
    int index = -1;
    for (int k = 0; k < colourCount(); ++k) {
        if (paletteColour(k) == rgb) {
            index = k;
            break;
        }
    }
    if (index < 0) {
        index = addColour(colour);
    }
    if (index >= 0) {
        lastColour_ = colour;
        lastIndex_ = index;
    }
    return index;
}

int PictureRaster::addColour(Colour colour)
{
    const QRgb rgb = toRgb(colour);
    if (colourCount() == MAX_COLOURS) {
        // Full: the nearest colour by the sum of squared channel differences.
        const auto distance = [&](QRgb other) {
            const int r = qRed(rgb) - qRed(other);
            const int g = qGreen(rgb) - qGreen(other);
            const int b = qBlue(rgb) - qBlue(other);
            return r * r + g * g + b * b;
        };
        int nearest = 0;
        for (int k = 1; k < MAX_COLOURS; ++k) {
            if (distance(paletteColour(k)) < distance(paletteColour(nearest))) {
                nearest = k;
            }
        }
        return nearest;
    }
    if (1 << depth() == colourCount() && !widen()) {
        return -1;
    }
    convertedFresh_ = false;
    if (nibbles_.data) {
        nibbles_.colours.append(rgb);
    } else {
        image_.setColorCount(image_.colorCount() + 1);
        image_.setColor(image_.colorCount() - 1, rgb);
    }
    return colourCount() - 1;
}

bool PictureRaster::widen()
{
    const bool widened = depth() == 1 ? widenToNibbles() : widenToBytes();
    if (!widened) {
        image_ = QImage();
        nibbles_ = {};
        changed_.clear();
    }
    return widened;
}

bool PictureRaster::widenToNibbles()
{
    std::unique_ptr<uchar, FreeBuffer> wide(allocateLines(image_.size(), 4));
    if (!wide) {
        return false;
    }
    // Each byte of eight pixels becomes four bytes of two, through the bytes of every
    // bit pattern; black bytes stay as the zeroed memory has them, untouched.
    std::array<std::array<uchar, 4>, 256> patterns{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        for (unsigned pair = 0; pair < 4; ++pair) {
            patterns[byte][pair] =
                static_cast<uchar>(((byte >> (7U - 2 * pair)) & 1U) << 4U | ((byte >> (6U - 2 * pair)) & 1U));
        }
    }
    const int width = image_.width();
    const int wholeBytes = width / 8;
    const qsizetype bytesPerLine = bytesPerLineOf(width, 4);
    for (int y = 0; y < image_.height(); ++y) {
        const uchar* from = image_.constScanLine(y);
        uchar* to = wide.get() + y * bytesPerLine;
        for (int b = 0; b < wholeBytes; ++b) {
            if (from[b] != 0) {
                std::memcpy(to + 4 * b, patterns[from[b]].data(), 4);
            }
        }
        for (int x = wholeBytes * 8; x < width; ++x) {
            setNibble(to, x, (static_cast<unsigned>(from[x / 8]) >> (7U - static_cast<unsigned>(x) % 8U)) & 1U);
        }
    }
    nibbles_ = {image_.size(), bytesPerLine, std::move(wide), image_.colorTable()};
    image_ = QImage();
    return true;
}

QImage PictureRaster::bytesFromNibbles() const
{
    QImage wide = allocateImage(nibbles_.size, QImage::Format_Indexed8, nibbles_.colours);
    wide.setDotsPerMeterX(dotsPerMeterX_);
    wide.setDotsPerMeterY(dotsPerMeterY_);
    for (int y = 0; y < wide.height(); ++y) {
        const uchar* from = constScanLine(y);
        uchar* to = wide.scanLine(y);
        for (int x = 0; x < wide.width(); ++x) {
            to[x] = static_cast<uchar>(nibbleAt(from, x));
        }
    }
    return wide;
}

bool PictureRaster::widenToBytes()
{
    QImage wide = bytesFromNibbles();
    if (wide.isNull()) {
        return false;
    }
    nibbles_ = {};
    image_ = std::move(wide);
    return true;
}

void PictureRaster::fillNibblesWhere(uchar* line, int from, int to, unsigned over, unsigned index)
{
    // Sixteen pixels at a time where all sixteen have the colour filled over, as most
    // have; two at a time elsewhere, and the odd ones at the ends one by one.
    const auto pair = [&](uchar& byte) {
        const unsigned high = byte >> 4U;
        const unsigned low = byte & 0xFU;
        byte = static_cast<uchar>((high == over ? index : high) << 4U | (low == over ? index : low));
    };
    int x = from;
    if (x % 2 != 0 && x < to) {
        if (nibbleAt(line, x) == over) {
            setNibble(line, x, index);
        }
        ++x;
    }
    const std::uint64_t overWord = EVERY_BYTE * (over * 0x11U);
    const std::uint64_t indexWord = EVERY_BYTE * (index * 0x11U);
    for (; x + 16 <= to; x += 16) {
        std::uint64_t word = 0;
        std::memcpy(&word, line + x / 2, sizeof word);
        if (word == overWord) {
            std::memcpy(line + x / 2, &indexWord, sizeof indexWord);
        } else {
            for (int k = 0; k < 8; ++k) {
                pair(line[x / 2 + k]);
            }
        }
    }
    for (; x + 2 <= to; x += 2) {
        pair(line[x / 2]);
    }
    if (x < to && nibbleAt(line, x) == over) {
        setNibble(line, x, index);
    }
}

void PictureRaster::setIndex(int x, int y, int index)
{
    uniformIndex_ = -1;
    uchar* line = scanLine(y);
    if (depth() == 8) {
        line[x] = static_cast<uchar>(index);
        return;
    }
    if (depth() == 4) {
        setNibble(line, x, static_cast<unsigned>(index));
        return;
    }
    const auto bit = static_cast<uchar>(0x80U >> (static_cast<unsigned>(x) & 7U));
    line[x / 8] = static_cast<uchar>(index != 0 ? line[x / 8] | bit : line[x / 8] & ~bit);
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

void PictureRaster::markChanged(const QRect& rect)
{
    convertedFresh_ = false;
    const QRect inside = rect & this->rect();
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
