#pragma once

#include <string>
#include <string_view>

namespace voroquarn {

// Text as it may reach a terminal: every byte that could steer one is written as an
// escape. These are the C0 controls and DEL (a line feed as \n, the others as \xHH,
// the escape character among them), the C1 controls U+0080 to U+009F, which UTF-8
// writes as two bytes (\xc2\x80 to \xc2\x9f), and every byte that is not part of a
// well-formed UTF-8 character, which some terminals take as a C1 control of its own.
// Everything else, other languages' letters included, stays as it is. Works on bytes,
// so that a file name need not be UTF-8.
std::string escapedControls(std::string_view text);

// A value (an argument, a path, a field of a file) as a message quotes it: cut short
// when it is long (shortened), with its controls escaped, so that the message stays on
// one line and cannot steer the terminal.
std::string shown(std::string_view value);

}  // namespace voroquarn
