#include "app/Options.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include "app/Version.h"
#include "core/WindowMetrics.h"
#include "output/Shown.h"
#include "screen/WindowId.h"

namespace voroquarn {

namespace {

std::optional<std::uint32_t> parseSeed(const QString& text)
{
    const QRegularExpression digits(QRegularExpression::anchoredPattern(QStringLiteral("[0-9]{1,10}")));
    if (!digits.match(text).hasMatch()) {
        return std::nullopt;
    }
    const qulonglong value = text.toULongLong();
    if (value > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<QSize> parseSize(const QString& text)
{
    const QRegularExpression pattern(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{1,5})x([0-9]{1,5})")));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || width > MAX_SIDE || height < 1 || height > MAX_SIDE) {
        return std::nullopt;
    }
    return QSize(width, height);
}

// A whole number from 0 to `most`.
std::optional<int> parseWhole(const QString& text, int most)
{
    const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch()) {
        return std::nullopt;
    }
    const qulonglong value = text.toULongLong();
    if (value > static_cast<qulonglong>(most)) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

CommandLine failure(const QString& text) { return {std::nullopt, text, true}; }

// The option that names the target, as the user would write it.
QString targetOption(Target target)
{
    switch (target) {
    case Target::FullScreen:
        return QStringLiteral("--saver");
    case Target::Root:
        return QStringLiteral("--root");
    case Target::WindowId:
        return QStringLiteral("--window-id");
    case Target::Window:
        break;
    }
    return {};
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws a multiplicatively weighted Voronoi diagram of random or given sites.\n\n"
        "Keys in the program's own windows: Escape, q, Ctrl+Q and Ctrl+W close it, space starts\n"
        "a new diagram, Ctrl+S saves the picture to the picture folder, F11 toggles full screen.\n"
        "With --saver any key or click ends the program."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Seed the random sites with N (0 to 4294967295) instead of the clock."),
        QStringLiteral("N"));
    const QCommandLineOption sites(
        QStringLiteral("sites"),
        QStringLiteral("Take the sites from FILE (- for standard input): one 'x y weight' a line."),
        QStringLiteral("FILE"));
    const QCommandLineOption size(
        QStringLiteral("size"),
        QStringLiteral("Drawing area in pixels, each side 1 to 16384 (default 618x508)."),
        QStringLiteral("WxH"));
    const QCommandLineOption output(
        QStringLiteral("output"),
        QStringLiteral("Draw without a window and write the picture to FILE, as PNG, SVG or PDF by "
                       "its extension (.png, .svg, .pdf)."),
        QStringLiteral("FILE"));
    const QCommandLineOption printSites(
        QStringLiteral("print-sites"),
        QStringLiteral("Write the sites used to standard output, in the --sites format."));
    const QCommandLineOption fill(
        QStringLiteral("fill"),
        QStringLiteral("Fill each site's region with a colour of its own before the boundaries are "
                       "traced; in every mode and output format."));
    const QCommandLineOption explore(
        QStringLiteral("explore"),
        QStringLiteral("Explore the diagram in a resizable window: drag sites, weigh them with the "
                       "wheel, add and remove them, undo; F1 lists the keys."));
    const QCommandLineOption root(
        QStringLiteral("root"),
        QStringLiteral("Draw diagram after diagram into the window xscreensaver gives in "
                       "$XSCREENSAVER_WINDOW, or else into the root window."));
    const QCommandLineOption windowId(
        QStringLiteral("window-id"),
        QStringLiteral("Draw diagram after diagram into the existing window ID (decimal or 0x hex)."),
        QStringLiteral("ID"));
    const QCommandLineOption saver(
        QStringLiteral("saver"),
        QStringLiteral("Draw diagram after diagram full screen, until a key or a click."));
    const QCommandLineOption cycle(
        QStringLiteral("cycle"),
        QStringLiteral("Draw diagram after diagram in the window."));
    const QCommandLineOption linger(
        QStringLiteral("linger"),
        QStringLiteral("Let each finished diagram stand SECONDS (0 to 86400, 0 for good; default 10) "
                       "before the next."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption delay(
        QStringLiteral("delay"),
        QStringLiteral("Wait MICROSECONDS (0 to 1000000) between two steps of the tracing "
                       "(default %1 when diagrams follow one another, else 0).")
            .arg(DEFAULT_SAVER_DELAY_US),
        QStringLiteral("MICROSECONDS"));
    parser.addOptions({help, version, seed, sites, size, output, printSites, fill, explore, root, windowId,
                       saver, cycle, linger, delay});
    // xscreensaver's hacks take their options with one dash: -root, -window-id.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    if (!parser.parse(arguments)) {
        // Qt's message would quote an unknown option whole, however long.
        if (!parser.unknownOptionNames().isEmpty()) {
            return failure(QStringLiteral("Unknown option '%1'.").arg(shown(parser.unknownOptionNames().first())));
        }
        return failure(parser.errorText());
    }
    if (parser.isSet(help)) {
        // Without an application object the parser cannot know the program's name.
        return {std::nullopt, parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("voroquarn")), false};
    }
    if (parser.isSet(version)) {
        return {std::nullopt, QString::fromUtf8(VERSION_NOTICE), false};
    }
    if (!parser.positionalArguments().isEmpty()) {
        return failure(QStringLiteral("unexpected argument '%1'").arg(shown(parser.positionalArguments().first())));
    }
    // Each option says one thing; given twice, one of the two would be ignored.
    for (const QCommandLineOption& option :
         {seed, sites, size, output, printSites, root, windowId, saver, cycle, linger, delay, fill, explore}) {
        const QString name = option.names().constFirst();
        if (parser.optionNames().count(name) > 1) {
            return failure(QStringLiteral("--%1 is given more than once").arg(name));
        }
    }

    Options options;
    options.size = QSize(DESIGN_WIDTH, DESIGN_HEIGHT);
    if (parser.isSet(seed)) {
        options.seed = parseSeed(parser.value(seed));
        if (!options.seed) {
            return failure(QStringLiteral("--seed takes a whole number from 0 to 4294967295, not '%1'")
                               .arg(shown(parser.value(seed))));
        }
    }
    if (parser.isSet(size)) {
        const std::optional<QSize> parsed = parseSize(parser.value(size));
        if (!parsed) {
            return failure(QStringLiteral("--size takes WxH with each side from 1 to %1, not '%2'")
                               .arg(MAX_SIDE)
                               .arg(shown(parser.value(size))));
        }
        options.size = *parsed;
    }
    if (parser.isSet(sites)) {
        options.sitesPath = parser.value(sites);
        if (options.sitesPath->isEmpty()) {
            return failure(QStringLiteral("--sites needs a file name"));
        }
    }
    if (parser.isSet(output)) {
        options.outputPath = parser.value(output);
        if (options.outputPath->isEmpty()) {
            return failure(QStringLiteral("--output needs a file name"));
        }
        const std::optional<OutputFormat> format = outputFormatOf(*options.outputPath);
        if (!format) {
            return failure(QStringLiteral("--output writes .png, .svg or .pdf files, not '%1'")
                               .arg(shown(*options.outputPath)));
        }
        options.outputFormat = *format;
    }
    options.printSites = parser.isSet(printSites);
    options.fill = parser.isSet(fill);
    options.explore = parser.isSet(explore);

    const int targets = (parser.isSet(root) ? 1 : 0) + (parser.isSet(windowId) ? 1 : 0) +
                        (parser.isSet(saver) ? 1 : 0);
    if (targets > 1) {
        return failure(QStringLiteral("--root, --window-id and --saver each say where to draw: give one"));
    }
    if (parser.isSet(root)) {
        options.target = Target::Root;
    } else if (parser.isSet(saver)) {
        options.target = Target::FullScreen;
    } else if (parser.isSet(windowId)) {
        options.target = Target::WindowId;
        const std::optional<std::uint32_t> id = parseWindowId(parser.value(windowId));
        if (!id) {
            return failure(QStringLiteral("--window-id takes a window id, decimal or 0x hexadecimal, not '%1'")
                               .arg(shown(parser.value(windowId))));
        }
        options.windowId = *id;
    }
    options.cycle = parser.isSet(cycle) || options.target != Target::Window;
    if (parser.isSet(linger)) {
        options.lingerSeconds = parseWhole(parser.value(linger), MAX_LINGER_SECONDS);
        if (!options.lingerSeconds) {
            return failure(QStringLiteral("--linger takes whole seconds from 0 to %1, not '%2'")
                               .arg(MAX_LINGER_SECONDS)
                               .arg(shown(parser.value(linger))));
        }
    }
    if (parser.isSet(delay)) {
        options.delayMicroseconds = parseWhole(parser.value(delay), MAX_DELAY_MICROSECONDS);
        if (!options.delayMicroseconds) {
            return failure(QStringLiteral("--delay takes whole microseconds from 0 to %1, not '%2'")
                               .arg(MAX_DELAY_MICROSECONDS)
                               .arg(shown(parser.value(delay))));
        }
    }

    // Combinations that cannot mean anything.
    const QString target = targetOption(options.target);
    if (options.outputPath) {
        for (const QCommandLineOption* drawn : {&root, &windowId, &saver, &cycle, &linger, &delay}) {
            if (parser.isSet(*drawn)) {
                return failure(QStringLiteral("--output draws one picture into a file; "
                                              "it does not go with --%1")
                                   .arg(drawn->names().constFirst()));
            }
        }
    }
    if (options.explore) {
        for (const QCommandLineOption* other : {&output, &root, &windowId, &saver, &cycle, &linger, &delay}) {
            if (parser.isSet(*other)) {
                return failure(QStringLiteral("--explore edits a diagram in a window of its own; "
                                              "it does not go with --%1")
                                   .arg(other->names().constFirst()));
            }
        }
    }
    if (!target.isEmpty() && parser.isSet(size)) {
        return failure(QStringLiteral("--size does not go with %1, which draws at the size of its window")
                           .arg(target));
    }
    if (parser.isSet(linger) && !options.cycle) {
        return failure(QStringLiteral("--linger needs diagrams that follow one another: "
                                      "--cycle, --saver, --root or --window-id"));
    }
    return {options, QString(), false};
}


}  // namespace voroquarn
