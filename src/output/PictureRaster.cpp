#include "output/PictureRaster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/nearestPixel.h"
#include "output/IndexedMemory.h"
#include "output/Rgb.h"

namespace voroquarn {

namespace {

// Every byte of the word is `byte`.
constexpr std::uint64_t EVERY_BYTE = 0x0101010101010101ULL;

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
}  // namespace voroquarn
