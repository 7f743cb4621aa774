#pragma once

#include <QString>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "core/Shown.h"

namespace voroquarn {

// The exit status of every error.
inline constexpr int EXIT_ERROR = 2;

// One line on standard error, after the program's name. Whatever the line quotes, its
// controls reach the terminal only as escapes.
inline void say(std::string_view text)
{
    const std::string line = "voroquarn: " + escapedControls(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

inline void say(const QString& text) { say(text.toStdString()); }

// Says what is wrong; returns the status to exit with.
inline int fail(std::string_view message)
{
    say(message);
    return EXIT_ERROR;
}

inline int fail(const QString& message)
{
    say(message);
    return EXIT_ERROR;
}

// The one line for an exception that stopped the program's work: memory that ran out,
// or what the exception says.
inline std::string stoppedBy(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return "not enough memory to go on";
    }
    return std::string("cannot go on: ") + error.what();
}

}  // namespace voroquarn
