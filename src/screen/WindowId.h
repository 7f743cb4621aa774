#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace voroquarn {

// An X window id as xscreensaver and the X tools write it: decimal, or hexadecimal after
// 0x; nothing for anything else, 0 included.
std::optional<std::uint32_t> parseWindowId(const QString& text);

}  // namespace voroquarn
