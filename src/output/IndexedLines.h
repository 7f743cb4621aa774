#pragma once

#include <QList>
#include <QRgb>
#include <QSize>
#include <functional>

namespace voroquarn {

// An indexed picture as an encoder reads it, line by line: `depth` bits a pixel (1, 4
// or 8), pixels packed from the most significant bits of each byte on, each index one
// of `colours`. line(y) points at line y, valid until the next call.
struct IndexedLines {
    QSize size;
    int depth = 8;
    QList<QRgb> colours;
    std::function<const uchar*(int y)> line;
};

}  // namespace voroquarn
