#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <cstdlib>
#include <limits>

namespace voroquarn {

// The memory of an indexed picture, shared by its drawing and its widening.

inline void freeBuffer(void* buffer) { std::free(buffer); }

// The bytes of a line of `width` pixels of `bitsPerPixel`: lines start on 32-bit
// boundaries, as Qt's own images do.
inline qsizetype bytesPerLineOf(int width, int bitsPerPixel)
{
    return (static_cast<qsizetype>(width) * bitsPerPixel + 31) / 32 * 4;
}

// Zeroed memory for `size` pixels of `bitsPerPixel`, or null when it cannot be had.
inline uchar* allocateLines(QSize size, int bitsPerPixel)
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
inline QImage allocateImage(QSize size, QImage::Format format, const QList<QRgb>& colours)
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
inline unsigned nibbleAt(const uchar* line, int x)
{
    return (static_cast<unsigned>(line[x / 2]) >> ((x & 1) != 0 ? 0U : 4U)) & 0xFU;
}

inline void setNibble(uchar* line, int x, unsigned index)
{
    const unsigned shift = (x & 1) != 0 ? 0U : 4U;
    line[x / 2] = static_cast<uchar>((line[x / 2] & ~(0xFU << shift)) | (index << shift));
}

}  // namespace voroquarn
