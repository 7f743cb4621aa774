#pragma once

#include <QSize>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/OutputFormat.h"
#include "screen/ScreenSettings.h"

namespace voroquarn {

// The window's size and place as X geometry gives them (-geometry WxH+X+Y): either part
// may be left out.
struct WindowGeometry {
    std::optional<QSize> size;
    std::string position;  // "+X+Y", with - for an offset from the right or bottom; or empty
};

// What the command line asks for. With no arguments the program draws random sites in a
// window of the design size, seeded from the clock. File names are kept as the bytes
// they were given as, so that names that are not UTF-8 reach the file system unchanged.
struct Options {
    std::optional<std::uint32_t> seed;
    std::optional<std::string> sitesPath;  // "-" is standard input
    std::optional<int> count;              // random sites, instead of 4 to 9
    QSize size;                            // the drawing area
    std::optional<std::string> outputPath;  // a file instead of a window
    OutputFormat outputFormat = OutputFormat::Png;  // of outputPath, by its extension
    bool printSites = false;
    // Each site's region in a colour of its own, and boundaries antialiased along their
    // exact pieces; unsaid: as the look of the run has it (SAVER_LOOK for the saver).
    std::optional<bool> fill;
    std::optional<bool> smooth;
    bool explore = false;  // the explorer, in a window of the program's own
    bool markers = true;
    bool labels = true;

    Target target = Target::Window;
    std::uint32_t windowId = 0;  // with Target::WindowId
    // One diagram after another; always so for every target but Target::Window.
    bool cycle = false;
    std::optional<int> lingerSeconds;     // 0: for good
    std::optional<int> delayMicroseconds;  // between two sweep steps
    std::optional<int> durationSeconds;    // of a diagram's fill and tracing

    // The options every xscreensaver hack takes.
    bool fps = false;   // show the frame rate
    bool mono = false;  // as on a monochrome display: no colours
    std::optional<std::string> display;      // the X display to open
    std::optional<WindowGeometry> geometry;  // of the program's own window
};

// The result of reading the command line: options to run with, or a text to print and
// a status to exit with (help, version, or an error of one line).
struct CommandLine {
    std::optional<Options> options;
    std::string text;
    bool isError = false;
};

// Reads the arguments, program name first, as the bytes they were given as.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The line that follows an error in the command line.
inline constexpr char TRY_HELP[] = "Try 'voroquarn --help' for more information.";

inline constexpr int MAX_SIDE = 16384;
inline constexpr int MIN_COUNT = 2;
inline constexpr int MAX_COUNT = 1000000;
inline constexpr int MAX_LINGER_SECONDS = 86400;
inline constexpr int MAX_DELAY_MICROSECONDS = 1000000;
inline constexpr int MAX_DURATION_SECONDS = 3600;
// How long a diagram's fill and tracing take when diagrams follow one another, without
// a delay: a few seconds, on a large screen as in a preview.
inline constexpr int DEFAULT_SAVER_DURATION_SECONDS = 5;

// The screen saver's look where the command line does not say otherwise, chosen from
// screenshots beside other screen savers (docs/screenshots): its regions filled and its
// boundaries smooth; the sites stay 4 to 9, as designed, which the settings dialog
// offers first.
struct SaverLook {
    bool fill;
    bool smooth;
};
inline constexpr SaverLook SAVER_LOOK{true, true};
// How long a standing diagram takes to be wiped away for the next when diagrams follow
// one another.
inline constexpr std::chrono::milliseconds SAVER_TRANSITION{1000};

}  // namespace voroquarn
