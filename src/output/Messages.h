#pragma once

#include <QString>
#include <cstdio>

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

}  // namespace voroquarn
