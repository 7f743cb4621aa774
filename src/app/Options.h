#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "output/OutputFormat.h"
#include "screen/ScreenSettings.h"

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
    bool fill = false;  // each site's region in a colour of its own
    bool explore = false;  // the explorer, in a window of the program's own

    Target target = Target::Window;
    std::uint32_t windowId = 0;  // with Target::WindowId
    // One diagram after another; always so for every target but Target::Window.
    bool cycle = false;
    std::optional<int> lingerSeconds;     // 0: for good
    std::optional<int> delayMicroseconds;  // between two sweep steps
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
inline constexpr int MAX_LINGER_SECONDS = 86400;
inline constexpr int MAX_DELAY_MICROSECONDS = 1000000;
// The delay between sweep steps when diagrams follow one another: one diagram then takes
// a few seconds, on a large screen as in the design window.
inline constexpr int DEFAULT_SAVER_DELAY_US = 250;

}  // namespace voroquarn
