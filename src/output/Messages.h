#pragma once

#include <QString>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

namespace voroquarn {

// The exit status of every error.
inline constexpr int EXIT_ERROR = 2;

// One line on standard error, after the program's name.
inline void say(const QString& text)
{
    std::fprintf(stderr, "voroquarn: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// Says what is wrong; returns the status to exit with.
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
