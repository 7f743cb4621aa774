#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace voroquarn {

// Messages quote what they are about (a field of a site file, a path, an argument) at
// most this many bytes long, so that a huge value cannot flood the terminal.
inline constexpr std::size_t MAX_SHOWN = 120;

// UTF-8 text as a message quotes it: unchanged when it is at most `limit` bytes long,
// otherwise its first bytes, cut at a character boundary, followed by "...".
std::string shortened(std::string_view text, std::size_t limit = MAX_SHOWN);

}  // namespace voroquarn
