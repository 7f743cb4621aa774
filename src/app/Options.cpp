#include "app/Options.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include "app/Shown.h"
#include "app/Version.h"
#include "window/WindowMetrics.h"

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

CommandLine failure(const QString& text) { return {std::nullopt, text, true}; }

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws a multiplicatively weighted Voronoi diagram of random or given sites."));
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
    parser.addOptions({help, version, seed, sites, size, output, printSites});

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
    for (const QCommandLineOption& option : {seed, sites, size, output, printSites}) {
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
    return {options, QString(), false};
}

}  // namespace voroquarn
