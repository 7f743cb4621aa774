#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "output/OutputFormat.h"

namespace voroquarn {

// What the command line asks for. With no arguments the program draws random sites in a
// window of the design size, seeded from the clock.
struct Options {
    std::optional<std::uint32_t> seed;
    std::optional<QString> sitesPath;   // "-" is standard input
    QSize size;                         // the drawing area
    std::optional<QString> outputPath;  // a file instead of a window
    OutputFormat outputFormat = OutputFormat::Png;  // of outputPath, by its extension
    bool printSites = false;
};

// The result of reading the command line: options to run with, or a text to print and
// a status to exit with (help, version, or an error).
struct CommandLine {
    std::optional<Options> options;
    QString text;
    bool isError = false;
};

// Reads the arguments, program name first.
CommandLine parseCommandLine(const QStringList& arguments);

inline constexpr int MAX_SIDE = 16384;

}  // namespace voroquarn
