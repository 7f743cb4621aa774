#include "screen/WindowId.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace voroquarn {

std::optional<std::uint32_t> parseWindowId(std::string_view text)
{
    const bool hexadecimal = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string_view digits = hexadecimal ? text.substr(2) : text;
    const auto isDigit = [&](char c) {
        return hexadecimal ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : c >= '0' && c <= '9';
    };
    if (digits.empty() || digits.size() > (hexadecimal ? 8U : 10U) ||
        !std::all_of(digits.begin(), digits.end(), isDigit)) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value, hexadecimal ? 16 : 10);
    if (value == 0 || value > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace voroquarn
