#include "app/Options.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string_view>

#include "app/Version.h"
#include "core/Shown.h"
#include "core/WindowMetrics.h"
#include "screen/WindowId.h"

// The command line is read here rather than by QCommandLineParser, which takes its
// arguments as a QStringList: a file name that is not UTF-8 ('bad\xff.png') comes back
// from QString with U+FFFD in place of the byte, so the program wrote 'bad\xef\xbf\xbd.png'
// and could not find a site file that exists. Here every argument stays the bytes it was
// given as.

namespace voroquarn {

namespace {

// What an option does with its value (or, for a flag, with nothing): reads it into the
// setting it feeds, or says what is wrong with it, in the words that follow the option's
// name in the message ("takes ..., not '...'").
using Feed = std::function<std::optional<std::string>(Options&, std::string_view value)>;

// Other options that an option does not go with, or of which it needs one; `message` is
// the error, with {} for the other option's name.
struct Rule {
    std::vector<std::string_view> options;
    std::string_view message;
};

// One option: everything the program knows of it is here.
struct OptionRow {
    std::string_view name;   // --name, or -name as xscreensaver writes it
    char letter;             // -letter as well; 0: none
    std::string_view value;  // the value's name in the help; empty: a flag
    Feed feed;
    Rule forbids;  // none of these may be given with it
    Rule needs;    // one of these must be given with it
    std::string_view help;
    // It changes only how the picture looks, so that it changes nothing in the regions
    // as data (--output .csv or .geojson) and is refused with them.
    bool looks = false;
};

// An option's row is marked LOOKS where it changes only the picture's look.
constexpr bool LOOKS = true;

// Appended rather than "'" + shown(value): GCC 12's -Wrestrict sees a false overlap in
// that form at -O3, which fails the Release build.
std::string quoted(std::string_view value)
{
    std::string text(1, '\'');
    text += shown(value);
    text += '\'';
    return text;
}

std::string takes(std::string_view what, std::string_view value)
{
    return "takes " + std::string(what) + ", not " + quoted(value);
}

// A whole number of 1 to 10 digits, nothing else, from `least` to `most`.
std::optional<std::uint32_t> wholeNumber(std::string_view text, std::uint64_t least, std::uint64_t most)
{
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < least || value > most) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// A side of a picture: 1 to 5 digits, from 1 to MAX_SIDE.
std::optional<int> side(std::string_view text)
{
    if (text.size() > 5) {
        return std::nullopt;
    }
    const auto value = wholeNumber(text, 1, MAX_SIDE);
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

// WxH, each side from 1 to MAX_SIDE.
std::optional<QSize> size(std::string_view text)
{
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) {
        return std::nullopt;
    }
    const auto width = side(text.substr(0, x));
    const auto height = side(text.substr(x + 1));
    return width && height ? std::optional<QSize>(QSize(*width, *height)) : std::nullopt;
}

// X geometry: [=][WxH][{+-}X{+-}Y], at least one of the two parts.
std::optional<WindowGeometry> geometry(std::string_view text)
{
    if (text.starts_with('=')) {
        text.remove_prefix(1);
    }
    WindowGeometry parsed;
    const std::size_t offsets = text.find_first_of("+-");
    const std::string_view dimensions = text.substr(0, offsets);
    if (!dimensions.empty()) {
        parsed.size = size(dimensions);
        if (!parsed.size) {
            return std::nullopt;
        }
    }
    if (offsets != std::string_view::npos) {
        const std::string_view position = text.substr(offsets);
        const std::size_t second = position.find_first_of("+-", 1);
        const auto offset = [](std::string_view digits) {
            return digits.size() <= 5 && wholeNumber(digits, 0, 99999).has_value();
        };
        if (second == std::string_view::npos || !offset(position.substr(1, second - 1)) ||
            !offset(position.substr(second + 1))) {
            return std::nullopt;
        }
        parsed.position = std::string(position);
    }
    if (!parsed.size && parsed.position.empty()) {
        return std::nullopt;
    }
    return parsed;
}

// Feeds for the usual kinds of option.

Feed flag(bool Options::*setting, bool value = true)
{
    return [=](Options& options, std::string_view) -> std::optional<std::string> {
        options.*setting = value;
        return std::nullopt;
    };
}

// A whole number from `least` to `most`, of the kind `what` ("whole seconds").
template <class Setting>
Feed number(std::optional<Setting> Options::*setting, std::uint32_t least, std::uint32_t most, std::string_view what)
{
    return [=](Options& options, std::string_view value) -> std::optional<std::string> {
        const auto parsed = wholeNumber(value, least, most);
        if (!parsed) {
            return takes(std::string(what) + " from " + std::to_string(least) + " to " + std::to_string(most), value);
        }
        options.*setting = static_cast<Setting>(*parsed);
        return std::nullopt;
    };
}

// A file name, kept as given.
Feed fileName(std::optional<std::string> Options::*setting)
{
    return [=](Options& options, std::string_view value) -> std::optional<std::string> {
        if (value.empty()) {
            return "needs a file name";
        }
        options.*setting = std::string(value);
        return std::nullopt;
    };
}

// Accepted as xscreensaver's hacks accept it, and without effect here.
std::optional<std::string> ignored(Options& /*options*/, std::string_view /*value*/) { return std::nullopt; }

std::vector<OptionRow> optionTable()
{
    using O = Options;
    const std::string_view TARGETS = "{} and --saver each say where to draw: give one";
    return {
        {"help", 'h', {}, ignored, {}, {}, "Show this help and exit."},
        {"version", 'v', {}, ignored, {}, {}, "Show the version and exit."},
        {"seed", 0, "N", number(&O::seed, 0, 0xFFFFFFFFU, "a whole number"), {}, {},
         "Seed the random sites with N (0 to 4294967295) instead of the clock."},
        {"sites", 0, "FILE", fileName(&O::sitesPath), {}, {},
         "Take the sites from FILE (- for standard input): one 'x y weight' a line."},
        {"count", 0, "N", number(&O::count, MIN_COUNT, MAX_COUNT, "a whole number"),
         {{"sites"}, "--count does not go with {}, which gives the sites"}, {},
         "Place N random sites (2 to 1000000) instead of 4 to 9."},
        {"size", 0, "WxH",
         [](O& options, std::string_view value) -> std::optional<std::string> {
             const auto parsed = size(value);
             if (!parsed) {
                 return takes("WxH with each side from 1 to " + std::to_string(MAX_SIDE), value);
             }
             options.size = *parsed;
             return std::nullopt;
         },
         {{"root", "window-id", "saver"}, "--size does not go with {}, which draws at the size of its window"}, {},
         "Drawing area in pixels, each side 1 to 16384 (default 618x508)."},
        {"output", 0, "FILE",
         [](O& options, std::string_view value) -> std::optional<std::string> {
             if (value.empty()) {
                 return "needs a file name";
             }
             const auto format = outputFormatOf(value);
             if (!format) {
                 return "writes .png, .svg, .pdf, .csv or .geojson files, not " + quoted(value);
             }
             options.outputPath = std::string(value);
             options.outputFormat = *format;
             return std::nullopt;
         },
         {{"root", "window-id", "saver", "window", "cycle", "linger", "delay", "duration", "fps", "display",
           "geometry"},
          "--output draws one picture into a file; it does not go with {}"},
         {},
         "Draw without a window and write the picture to FILE, as PNG, SVG or PDF by its extension "
         "(.png, .svg, .pdf), or the sites' regions as data: .csv, a row of area, perimeter and "
         "neighbours a site; .geojson, their shapes."},
        {"print-sites", 0, {}, flag(&O::printSites), {}, {},
         "Write the sites used to standard output, in the --sites format."},
        {"fill", 0, {}, flag(&O::fill), {}, {},
         "Fill each site's region with a colour of its own before the boundaries are traced; in every "
         "mode and picture format.",
         LOOKS},
        {"smooth", 0, {}, flag(&O::smooth), {}, {},
         "Draw the boundaries antialiased, smoothly along their exact pieces, in the screen's device "
         "pixels (or the PNG's); SVG and PDF draw them exactly anyway.",
         LOOKS},
        {"no-markers", 0, {}, flag(&O::markers, false), {}, {}, "Leave out the small circle that marks each site.",
         LOOKS},
        {"no-labels", 0, {}, flag(&O::labels, false), {}, {}, "Leave out the weight written beside each site.",
         LOOKS},
        {"explore", 0, {}, flag(&O::explore),
         {{"output", "root", "window-id", "saver", "window", "cycle", "linger", "delay", "duration"},
          "--explore edits a diagram in a window of its own; it does not go with {}"},
         {},
         "Explore the diagram in a resizable window: drag sites, weigh them with the wheel, add and "
         "remove them, undo; F1 lists the keys."},
        {"root", 0, {},
         [](O& options, std::string_view) -> std::optional<std::string> {
             if (options.target != Target::WindowId) {  // as in xscreensaver's hacks
                 options.target = Target::Root;
             }
             return std::nullopt;
         },
         {}, {},
         "Draw diagram after diagram into the window xscreensaver gives in $XSCREENSAVER_WINDOW, or "
         "else into the root window."},
        {"window-id", 0, "ID",
         [](O& options, std::string_view value) -> std::optional<std::string> {
             const auto id = parseWindowId(value);
             if (!id) {
                 return takes("a window id, decimal or 0x hexadecimal", value);
             }
             options.target = Target::WindowId;
             options.windowId = *id;
             return std::nullopt;
         },
         {}, {},
         "Draw diagram after diagram into the existing window ID (decimal or 0x hex); it wins over "
         "--root, as in xscreensaver's hacks."},
        {"saver", 0, {},
         [](O& options, std::string_view) -> std::optional<std::string> {
             options.target = Target::FullScreen;
             return std::nullopt;
         },
         {{"root", "window-id", "window"}, TARGETS}, {},
         "Draw diagram after diagram full screen, until a key press, a click or a large motion of the "
         "pointer."},
        {"cycle", 0, {}, flag(&O::cycle), {}, {}, "Draw diagram after diagram in the window."},
        {"linger", 0, "SECONDS", number(&O::lingerSeconds, 0, MAX_LINGER_SECONDS, "whole seconds"), {},
         {{"cycle", "saver", "root", "window-id", "window"},
          "--linger needs diagrams that follow one another: --cycle, --saver, --root or --window-id"},
         "Let each finished diagram stand SECONDS (0 to 86400, 0 for good; default 10) before the next."},
        {"duration", 0, "SECONDS", number(&O::durationSeconds, 0, MAX_DURATION_SECONDS, "whole seconds"),
         {{"delay"}, "--duration does not go with {}: both set the pace"}, {},
         "Spread the fill and the tracing of each diagram evenly over SECONDS (0 to 3600, 0 for no "
         "pace), on a small window as on a large screen (default 5 when diagrams follow one another)."},
        {"delay", 0, "MICROSECONDS", number(&O::delayMicroseconds, 0, MAX_DELAY_MICROSECONDS, "whole microseconds"),
         {}, {},
         "Wait MICROSECONDS (0 to 1000000) between two steps of the fill and the tracing, instead of "
         "pacing a diagram by --duration."},
        // The options every one of xscreensaver's hacks takes, with the meaning they have
        // there where Qt can give it.
        {"window", 0, {},
         [](O& options, std::string_view) -> std::optional<std::string> {
             if (options.target != Target::WindowId) {
                 options.target = Target::Window;
                 options.cycle = true;
             }
             return std::nullopt;
         },
         {}, {}, "Draw diagram after diagram in a window of the program's own, as --cycle."},
        {"fps", 0, {}, flag(&O::fps), {}, {}, "Show the frame rate and the load over the picture."},
        {"no-fps", 0, {}, flag(&O::fps, false), {}, {}, "Do not show the frame rate (the default)."},
        {"mono", 0, {}, flag(&O::mono), {}, {},
         "Black and white only, as on a monochrome display: leaves out the colours of --fill and the "
         "shades of --smooth."},
        {"display", 0, "DISPLAY",
         [](O& options, std::string_view value) -> std::optional<std::string> {
             if (value.empty()) {
                 return "needs an X display, such as :0";
             }
             options.display = std::string(value);
             return std::nullopt;
         },
         {}, {}, "Open the window on the X display DISPLAY instead of $DISPLAY."},
        {"geometry", 0, "WxH+X+Y",
         [](O& options, std::string_view value) -> std::optional<std::string> {
             options.geometry = geometry(value);
             if (!options.geometry) {
                 return takes("X geometry, WxH+X+Y, WxH or +X+Y, with sides from 1 to " + std::to_string(MAX_SIDE),
                              value);
             }
             return std::nullopt;
         },
         {{"size"}, "--geometry does not go with {}: both give the drawing area"}, {},
         "Drawing area and place of the program's own window; ignored with --root, --window-id and "
         "--saver."},
        {"install", 0, {}, ignored, {}, {}, "Accepted as xscreensaver's hacks accept it; changes nothing."},
        {"noinstall", 0, {}, ignored, {}, {}, "Accepted as xscreensaver's hacks accept it; changes nothing."},
        {"visual", 0, "VISUAL", ignored, {}, {},
         "Accepted as xscreensaver's hacks accept it; Qt chooses the visual."},
        {"pair", 0, {}, ignored, {}, {},
         "Accepted as xscreensaver's hacks accept it; the program draws in one window."},
    };
}

// Breaks `text` into lines of at most `width` characters, each after `indent` blanks but
// the first, which continues a line of `column` characters.
std::string wrapped(std::string_view text, std::size_t column, std::size_t width)
{
    std::string out;
    std::size_t lineLength = column;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        if (lineLength > column && lineLength + 1 + word.size() > width) {
            out += '\n' + std::string(column, ' ');
            lineLength = column;
        } else if (lineLength > column) {
            out += ' ';
            ++lineLength;
        }
        out += word;
        lineLength += word.size();
        text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
    }
    return out;
}

std::string label(const OptionRow& row)
{
    std::string text = row.letter != 0 ? std::string{'-', row.letter, ',', ' '} : std::string();
    text += "--" + std::string(row.name);
    if (!row.value.empty()) {
        text += " <" + std::string(row.value) + ">";
    }
    return text;
}

std::string helpText(const std::vector<OptionRow>& table)
{
    constexpr std::size_t WIDTH = 79;
    std::size_t column = 0;
    for (const OptionRow& row : table) {
        column = std::max(column, label(row).size());
    }
    column += 4;
    std::string text =
        "Usage: voroquarn [options]\n"
        "Draws a multiplicatively weighted Voronoi diagram of random or given sites.\n\n"
        "Keys in the program's own windows: Escape, q, Ctrl+Q and Ctrl+W close it, space starts\n"
        "a new diagram, Ctrl+S saves the picture to the picture folder, F11 toggles full screen.\n"
        "With --saver a key press, a click or a large motion of the pointer ends the\n"
        "program.\n\n"
        "Options:\n";
    for (const OptionRow& row : table) {
        std::string line = "  " + label(row);
        line += std::string(column - line.size(), ' ');
        text += line + wrapped(row.help, column, WIDTH) + '\n';
    }
    text += "\nEvery long option may also be written with one dash, as xscreensaver writes them:\n"
            "-root, -window-id ID, -seed 7.\n";
    return text;
}

// The message of a rule broken by `other`.
std::string broken(const Rule& rule, std::string_view other)
{
    std::string message(rule.message);
    if (const std::size_t at = message.find("{}"); at != std::string::npos) {
        message.replace(at, 2, "--" + std::string(other));
    }
    return message;
}

CommandLine failure(std::string text) { return {std::nullopt, std::move(text), true}; }

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments)
{
    const std::vector<OptionRow> table = optionTable();
    std::vector<int> given(table.size(), 0);
    const auto isGiven = [&](std::string_view name) {
        for (std::size_t n = 0; n < table.size(); ++n) {
            if (table[n].name == name) {
                return given[n] > 0;
            }
        }
        return false;
    };

    Options options;
    options.size = QSize(DESIGN_WIDTH, DESIGN_HEIGHT);
    std::optional<std::string> toShow;  // the help or the version
    bool optionsEnded = false;
    for (std::size_t at = 1; at < arguments.size(); ++at) {
        const std::string_view argument = arguments[at];
        if (argument == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            return failure("unexpected argument " + quoted(argument));
        }
        // --name, --name=value, -name, -name=value, or -h and -v.
        std::string_view body = argument.substr(argument[1] == '-' ? 2 : 1);
        std::optional<std::string_view> attached;
        if (const std::size_t equals = body.find('='); equals != std::string_view::npos) {
            attached = body.substr(equals + 1);
            body = body.substr(0, equals);
        }
        const bool letter = argument[1] != '-' && body.size() == 1;
        const auto row = std::find_if(table.begin(), table.end(), [&](const OptionRow& candidate) {
            return letter ? candidate.letter == body[0] : candidate.name == body;
        });
        if (row == table.end()) {
            return failure("unknown option " + quoted(argument.substr(0, argument.find('='))));
        }
        const std::string name = "--" + std::string(row->name);
        std::string_view value;
        if (row->value.empty()) {
            if (attached) {
                return failure(name + " takes no value");
            }
        } else if (attached) {
            value = *attached;
        } else if (at + 1 < arguments.size()) {
            value = arguments[++at];
        } else {
            return failure(name + " needs a value");
        }
        // Each option says one thing; given twice, one of the two would be ignored.
        if (++given[static_cast<std::size_t>(row - table.begin())] > 1) {
            return failure(name + " is given more than once");
        }
        // Help and version are shown once the whole command line is read and found
        // sound, the first of the two that was given.
        if (row->name == "help" && !toShow) {
            toShow = helpText(table);
        }
        if (row->name == "version" && !toShow) {
            toShow = VERSION_NOTICE;
        }
        if (const auto problem = row->feed(options, value)) {
            return failure(name + " " + *problem);
        }
    }

    // Combinations that cannot mean anything.
    for (std::size_t n = 0; n < table.size(); ++n) {
        if (given[n] == 0) {
            continue;
        }
        for (const std::string_view other : table[n].forbids.options) {
            if (isGiven(other)) {
                return failure(broken(table[n].forbids, other));
            }
        }
        const auto& needed = table[n].needs.options;
        if (!needed.empty() && std::none_of(needed.begin(), needed.end(), isGiven)) {
            return failure(std::string(table[n].needs.message));
        }
        if (table[n].looks && options.outputPath && !isPicture(options.outputFormat)) {
            return failure("--" + std::string(table[n].name) + " does not go with --output " +
                           quoted(*options.outputPath) + ", which holds the regions as data, not a picture");
        }
    }
    if (options.printSites && options.outputPath == "-") {
        return failure("--print-sites and --output - would both write to standard output");
    }
    if (toShow) {
        return {std::nullopt, *toShow, false};
    }
    options.cycle = options.cycle || options.target != Target::Window;
    return {options, {}, false};
}

}  // namespace voroquarn
