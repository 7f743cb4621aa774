#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace voroquarn {

// An X window id as xscreensaver and the X tools write it: decimal, or hexadecimal after
// 0x; nothing for anything else, 0 included.
std::optional<std::uint32_t> parseWindowId(std::string_view text);

}  // namespace voroquarn
