#include "core/Shown.h"

#include "core/Shortened.h"

namespace voroquarn {

namespace {

// The length of the well-formed UTF-8 character that starts `text`, of two bytes or
// more; 0 when its first byte starts none. Overlong forms, surrogates and values beyond
// U+10FFFF are not well-formed.
std::size_t characterLength(std::string_view text)
{
    const auto byte = [&](std::size_t n) { return static_cast<unsigned char>(text[n]); };
    const unsigned first = byte(0);
    std::size_t length = 0;
    unsigned low = 0x80;  // the bounds of the second byte
    unsigned high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        low = first == 0xE0 ? 0xA0 : 0x80;
        high = first == 0xED ? 0x9F : 0xBF;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        low = first == 0xF0 ? 0x90 : 0x80;
        high = first == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t n = 2; n < length; ++n) {
        if (byte(n) < 0x80 || byte(n) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void appendEscaped(std::string& out, unsigned char byte)
{
    constexpr char DIGITS[] = "0123456789abcdef";
    out += "\\x";
    out += DIGITS[byte >> 4U];
    out += DIGITS[byte & 0xFU];
}

}  // namespace

std::string escapedControls(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == '\n') {
            out += "\\n";
            ++at;
        } else if (byte < 0x20 || byte == 0x7F) {
            appendEscaped(out, byte);
            ++at;
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++at;
        } else if (const std::size_t length = characterLength(text.substr(at)); length == 0) {
            appendEscaped(out, byte);
            ++at;
        } else if (byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F) {
            appendEscaped(out, byte);  // a C1 control
            appendEscaped(out, static_cast<unsigned char>(text[at + 1]));
            at += 2;
        } else {
            out += text.substr(at, length);
            at += length;
        }
    }
    return out;
}

std::string shown(std::string_view value) { return escapedControls(shortened(value)); }

}  // namespace voroquarn
