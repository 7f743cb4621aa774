#pragma once

#include <QRgb>

#include "core/Colour.h"

namespace voroquarn {

inline QRgb toRgb(Colour colour)
{
    return qRgb(static_cast<int>(colour & 0xFFU), static_cast<int>((colour >> 8U) & 0xFFU),
                static_cast<int>((colour >> 16U) & 0xFFU));
}

}  // namespace voroquarn
