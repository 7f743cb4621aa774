#pragma once

#include <QImage>
#include <QString>
#include <optional>

#include "output/IndexedLines.h"

class QIODevice;

namespace voroquarn {

// Why a picture could not be written as PNG.
struct PngFailure {
    enum class Kind {
        Device,       // the device refused the bytes; its error string says why
        OutOfMemory,  // the encoder could not get the memory it needs
        Encoder,      // anything else, in the message
    };
    Kind kind;
    QString message;
};

// Writes an indexed picture into `device` as a palette PNG with the fewest bits a pixel
// that hold its colours: 1, 2, 4 or 8. Its pixels decode to exactly the picture's
// colours. Prints nothing.
std::optional<PngFailure> writePng(const IndexedLines& picture, QIODevice& device);
// The same for an image: Format_Mono or Format_Indexed8, with at most as many colours
// as its colour table holds; or a picture of 32-bit colours (Format_RGB32), written as
// 8-bit RGB.
std::optional<PngFailure> writePng(const QImage& picture, QIODevice& device);

}  // namespace voroquarn
