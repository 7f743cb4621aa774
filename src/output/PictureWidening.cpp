// The picture's depth grown with its colours: one bit a pixel, then four, then eight.
#include "output/PictureRaster.h"

#include <array>
#include <cstring>
#include <memory>

#include "output/IndexedMemory.h"

namespace voroquarn {

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
}  // namespace voroquarn
