// Reading the command line.
#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <chrono>
#include <functional>

#include "app/Options.h"
#include "app/Settings.h"
#include "app/Version.h"

namespace voroquarn {
namespace {

using Arguments = std::vector<std::string>;

CommandLine parse(Arguments arguments)
{
    arguments.insert(arguments.begin(), "voroquarn");
    return parseCommandLine(arguments);
}

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::string joined(const Arguments& arguments)
{
    std::string text;
    for (const std::string& argument : arguments) {
        text += (text.empty() ? "" : " ") + argument;
    }
    return text.substr(0, 80);
}

TEST(CommandLine, DefaultsToRandomSitesInTheDesignWindow)
{
    const CommandLine none = parse({});
    ASSERT_TRUE(none.options);
    EXPECT_FALSE(none.options->seed);
    EXPECT_FALSE(none.options->sitesPath);
    EXPECT_FALSE(none.options->outputPath);
    EXPECT_FALSE(none.options->printSites);
    EXPECT_EQ(none.options->size, QSize(618, 508));
    EXPECT_EQ(none.options->target, Target::Window);
    EXPECT_FALSE(none.options->cycle);
    EXPECT_FALSE(none.options->lingerSeconds);
    EXPECT_FALSE(none.options->delayMicroseconds);
    EXPECT_FALSE(none.options->fill);
}

TEST(CommandLine, AcceptsEveryOptionInItsUsualSpellings)
{
    const CommandLine all = parse({"--seed", "4294967295", "--sites=-", "--size", "1x16384",
                                   "--output", "a.png", "--print-sites", "--fill"});
    ASSERT_TRUE(all.options) << all.text;
    EXPECT_EQ(all.options->seed, 4294967295U);
    EXPECT_EQ(all.options->sitesPath, "-");
    EXPECT_EQ(all.options->size, QSize(1, 16384));
    EXPECT_EQ(all.options->outputPath, "a.png");
    EXPECT_TRUE(all.options->printSites);
    EXPECT_TRUE(all.options->fill);

    EXPECT_EQ(parse({"--seed=0"}).options->seed, 0U);
    EXPECT_EQ(parse({"--seed", "0007"}).options->seed, 7U);

    const CommandLine help = parse({"--help"});
    EXPECT_FALSE(help.isError);
    EXPECT_TRUE(contains(help.text, "--print-sites"));
    const CommandLine version = parse({"-v"});
    EXPECT_FALSE(version.isError);
    EXPECT_TRUE(version.text.starts_with("voroquarn " + std::string(VERSION_TEXT) + "\n"));
    const CommandLine shortHelp = parse({"-h"});
    EXPECT_TRUE(contains(shortHelp.text, "--window-id <ID>"));
    EXPECT_TRUE(contains(shortHelp.text, "Ctrl+S saves"));
    EXPECT_TRUE(contains(shortHelp.text, "with one dash")) << "the help does not tell of -root";
    EXPECT_EQ(parse({"-help"}).text, shortHelp.text);
    EXPECT_EQ(parse({"--seed", "5", "-h", "--version"}).text, shortHelp.text);  // the first of the two
}

TEST(CommandLine, TheOutputsExtensionChoosesItsFormatInAnyCase)
{
    const std::pair<const char*, OutputFormat> cases[] = {
        {"a.png", OutputFormat::Png}, {"a.SVG", OutputFormat::Svg}, {"b.tar.Pdf", OutputFormat::Pdf},
        {"dir.svg/a.pdf", OutputFormat::Pdf}, {"r.csv", OutputFormat::Csv}, {"r.GeoJSON", OutputFormat::GeoJson},
        // Without an extension, as ever: standard output, devices, plain names.
        {"-", OutputFormat::Png}, {"/dev/null", OutputFormat::Png}, {"dir.svg/picture", OutputFormat::Png},
        {".svg", OutputFormat::Png}, {"picture.", OutputFormat::Png},
    };
    for (const auto& [name, format] : cases) {
        const CommandLine result = parse({"--output", name});
        ASSERT_TRUE(result.options) << name << ": " << result.text;
        EXPECT_EQ(result.options->outputFormat, format) << name;
    }
}

// The screen-saver options, with one dash as xscreensaver writes them or with two.
TEST(CommandLine, AcceptsTheScreenSaverOptions)
{
    struct Case {
        Arguments arguments;
        Target target;
        std::uint32_t windowId;
    };
    const Case cases[] = {
        {{"-root"}, Target::Root, 0},
        {{"--root", "--seed", "3"}, Target::Root, 0},
        {{"-window-id", "0x1e00007"}, Target::WindowId, 0x1e00007},
        {{"--window-id=31457287"}, Target::WindowId, 31457287},
        {{"--window-id", "0XFFFFFFFF"}, Target::WindowId, 0xFFFFFFFF},
        {{"--saver"}, Target::FullScreen, 0},
        {{"--cycle", "--size", "300x200"}, Target::Window, 0},
        // The window id wins, as in xscreensaver's hacks, in either order.
        {{"--root", "--window-id", "5"}, Target::WindowId, 5},
        {{"-window-id", "0x2a", "-root"}, Target::WindowId, 42},
    };
    for (const Case& c : cases) {
        const CommandLine result = parse(c.arguments);
        ASSERT_TRUE(result.options) << joined(c.arguments) << ": " << result.text;
        EXPECT_EQ(result.options->target, c.target);
        EXPECT_EQ(result.options->windowId, c.windowId);
        EXPECT_TRUE(result.options->cycle);
    }
    const CommandLine timed = parse({"-saver", "-linger", "0", "--delay=1000000", "-seed", "9"});
    ASSERT_TRUE(timed.options) << timed.text;
    EXPECT_EQ(timed.options->lingerSeconds, 0);
    EXPECT_EQ(timed.options->delayMicroseconds, 1000000);
    EXPECT_EQ(timed.options->seed, 9U);
    EXPECT_TRUE(parse({"-root", "-fill"}).options->fill);
    // A delay alone slows down the one diagram of the design window.
    EXPECT_EQ(parse({"--delay", "500"}).options->delayMicroseconds, 500);
}

// The options every one of xscreensaver's bundled hacks takes (their --help, and X's
// -display and -geometry), as the daemon and its settings window write them, and what
// they ask of the run and of the screen.
TEST(CommandLine, TakesTheOptionsOfXscreensaversHacks)
{
    using std::chrono::seconds;
    struct Case {
        Arguments arguments;
        std::function<bool(const Options&, const ScreenSettings&)> means;
    };
    const Case cases[] = {
        // The settings window's preview: the window id wins over -root.
        {{"-root", "-window-id", "0x1e00007", "-fps"},
         [](const Options&, const ScreenSettings& s) {
             return s.target == Target::WindowId && s.windowId == 0x1e00007 && s.session.fps && s.session.cycle;
         }},
        {{"--fps", "-no-fps"}, [](const Options&, const ScreenSettings& s) { return !s.session.fps; }},
        {{"-mono", "--fill"}, [](const Options&, const ScreenSettings& s) { return !s.session.run.fill; }},
        {{"-install", "-noinstall", "-visual", "best", "-pair"},
         [](const Options&, const ScreenSettings& s) {
             return s.target == Target::Window && !s.session.cycle && s.size == QSize(618, 508);
         }},
        {{"-window"},
         [](const Options&, const ScreenSettings& s) { return s.target == Target::Window && s.session.cycle; }},
        // Of -root and -window the last one counts, as in the hacks.
        {{"-root", "-window"}, [](const Options&, const ScreenSettings& s) { return s.target == Target::Window; }},
        {{"-window", "-root"}, [](const Options&, const ScreenSettings& s) { return s.target == Target::Root; }},
        {{"-display", "host:5.1"}, [](const Options&, const ScreenSettings& s) { return s.display == "host:5.1"; }},
        {{"-geometry", "300x200-10+20"},
         [](const Options&, const ScreenSettings& s) { return s.size == QSize(300, 200) && s.position == "-10+20"; }},
        {{"--geometry=+5+5", "--seed", "2"},
         [](const Options&, const ScreenSettings& s) { return s.size == QSize(618, 508) && s.position == "+5+5"; }},
        // A screen saver's window is given: its geometry is not the program's to choose.
        {{"-root", "-geometry", "300x200+1+1"},
         [](const Options&, const ScreenSettings& s) { return s.size == QSize(618, 508) && s.position.empty(); }},
        // Linger, delay and duration in their units; a saver is paced by a duration of 5 s
        // by default, a delay instead when given, and one diagram only when asked.
        {{"-window", "-linger", "7"},
         [](const Options&, const ScreenSettings& s) {
             return s.session.linger == seconds(7) && s.session.duration == seconds(5) && s.session.delay.count() == 0;
         }},
        {{"-root", "--delay", "9"},
         [](const Options&, const ScreenSettings& s) {
             return s.session.delay.count() == 9 && s.session.duration.count() == 0;
         }},
        {{"--seed", "1"},
         [](const Options&, const ScreenSettings& s) {
             return s.session.delay.count() == 0 && s.session.duration.count() == 0;
         }},
        {{"--duration", "12"}, [](const Options&, const ScreenSettings& s) { return s.session.duration == seconds(12); }},
        {{"--count", "1000000", "--no-labels", "--no-markers", "--fill"},
         [](const Options&, const ScreenSettings& s) {
             const RunSettings& run = s.session.run;
             return run.count == 1000000 && !run.labels && !run.markers && run.fill;
         }},
    };
    for (const Case& c : cases) {
        const CommandLine result = parse(c.arguments);
        ASSERT_TRUE(result.options) << joined(c.arguments) << ": " << result.text;
        const ScreenSettings screen = screenSettingsOf(*result.options, runSettingsOf(*result.options));
        EXPECT_TRUE(c.means(*result.options, screen)) << joined(c.arguments);
    }
}

TEST(CommandLine, RefusesBadValuesWithAMessage)
{
    const std::pair<Arguments, const char*> cases[] = {
        {{"--seed", "4294967296"}, "--seed"},
        {{"--seed", "-1"}, "--seed"},
        {{"--seed", "12x"}, "--seed"},
        {{"--seed", ""}, "--seed"},
        {{"--seed", "99999999999999999999999"}, "--seed"},
        {{"--seed"}, "--seed needs a value"},
        {{"--size", "0x10"}, "--size"},
        {{"--size", "16385x10"}, "--size"},
        {{"--size", "10X10"}, "--size"},
        {{"--size", "-5x10"}, "--size"},
        {{"--size", "10x"}, "--size"},
        {{"--output", ""}, "--output"},
        {{"--output", "a.jpg"}, "--output writes .png, .svg, .pdf, .csv or .geojson files, not 'a.jpg'"},
        {{"--output", "a.json"}, "--output writes"},
        {{"--output", "a.svg.txt"}, "--output writes"},
        {{"--sites", ""}, "--sites needs a file name"},
        {{"--colour", "red"}, "unknown option"},
        {{"-root-window"}, "unknown option"},
        {{"picture.png"}, "unexpected argument"},
        // A final newline is not part of the number.
        {{"--seed", "5\n"}, "--seed"},
        {{"--size", "5x5\n"}, "--size"},
        {{"--linger", "5\n", "--cycle"}, "--linger takes whole seconds"},
        {{"--delay", "5\n"}, "--delay takes whole microseconds"},
        {{"--count", "5\n"}, "--count"},
        {{"--count", "1"}, "--count takes a whole number from 2 to 1000000"},
        {{"--count", "1000001"}, "--count"},
        {{"--geometry", "0x5"}, "--geometry"},
        {{"--geometry", "10x10+5"}, "--geometry"},
        {{"--geometry", "+5+5\n"}, "--geometry"},
        {{"--display", ""}, "--display"},
        {{"--fill=yes"}, "--fill takes no value"},
        {{"-window-id"}, "--window-id needs a value"},
        // One of two values would be ignored.
        {{"--seed", "1", "--seed", "2"}, "--seed is given more than once"},
        {{"--output", "a.png", "--output=b.png"}, "--output is given more than once"},
        {{"--sites=a", "--sites=a"}, "--sites is given more than once"},
        {{"--size", "9x9", "--seed", "1", "--size", "9x9"}, "--size is given more than once"},
        {{"--print-sites", "--print-sites"}, "--print-sites is given more than once"},
        {{"--cycle", "--delay", "5", "--delay", "9"}, "--delay is given more than once"},
        {{"-root", "--root"}, "--root is given more than once"},
        {{"--fill", "--cycle", "--fill"}, "--fill is given more than once"},
        // A huge value is not echoed whole.
        {{"--seed", std::string(100000, '9')}, "--seed"},
        {{"--size", std::string(100000, 'x')}, "--size"},
        {{"--" + std::string(100000, 'x')}, "unknown option"},
        {{std::string(100000, 'x')}, "unexpected argument"},
        {{"--linger", "86401", "--cycle"}, "--linger"},
        {{"--linger", "1.5", "--cycle"}, "--linger"},
        {{"--delay", "-1"}, "--delay"},
        {{"--delay", "1000001"}, "--delay"},
        {{"--duration", "3601"}, "--duration takes whole seconds from 0 to 3600"},
        {{"--duration", "2", "-root", "--delay", "5"}, "--duration does not go with --delay: both set the pace"},
        {{"--window-id", "0"}, "--window-id"},
        {{"--window-id", "0x100000000"}, "--window-id"},
        {{"--window-id", "4294967296"}, "--window-id"},
        {{"--window-id", "0x"}, "--window-id"},
        {{"--window-id", "12ab"}, "--window-id"},
        {{"--window-id", "5\n"}, "--window-id"},
        // Combinations that cannot mean anything.
        {{"--saver", "--root"}, "give one"},
        {{"--root", "--output", "a.png"}, "--root"},
        {{"--cycle", "--output", "a.png"}, "--cycle"},
        {{"--delay", "5", "--output", "a.png"}, "--delay"},
        {{"--saver", "--size", "100x100"}, "--size"},
        {{"--window-id", "5", "--size", "100x100"}, "--size"},
        {{"--linger", "5"}, "--linger needs"},
        {{"--count", "5", "--sites", "a"}, "--count does not go with --sites"},
        {{"--explore", "--cycle"}, "--explore edits a diagram in a window of its own; it does not go with --cycle"},
        {{"--root", "--explore"}, "does not go with --root"},
        {{"--geometry", "5x5", "--size", "5x5"}, "--geometry does not go with --size"},
        {{"-window", "-saver"}, "give one"},
        {{"-fps", "--output", "a.png"}, "does not go with --fps"},
        {{"--print-sites", "--output", "-"}, "both write to standard output"},
        // Help and version wait for the whole command line to be sound.
        {{"--help", "--bogus"}, "unknown option '--bogus'"},
        {{"--help", "--seed", "abc"}, "--seed takes"},
        {{"-v", "--linger", "5"}, "--linger needs"},
        // What only changes the picture's look has no place among the regions as data.
        {{"--output", "r.csv", "--fill"}, "--fill does not go with --output 'r.csv', which holds the regions as data"},
        {{"--smooth", "--output", "r.geojson"}, "--smooth does not go with --output 'r.geojson'"},
        {{"--output", "r.CSV", "--no-markers"}, "--no-markers does not go"},
        {{"--no-labels", "--output", "r.geojson"}, "--no-labels does not go"},
    };
    for (const auto& [arguments, fragment] : cases) {
        const CommandLine result = parse(arguments);
        const std::string name = joined(arguments);
        EXPECT_FALSE(result.options) << name;
        EXPECT_TRUE(result.isError);
        EXPECT_TRUE(contains(result.text, fragment)) << name << ": " << result.text;
        EXPECT_FALSE(contains(result.text, "\n")) << name;
        EXPECT_LT(result.text.size(), 200) << name;
    }
}

// The settings dialog of xscreensaver builds a command line from voroquarn.xml: its
// command, each slider at its ends and default, and every checkbox, all of them
// accepted, and with the conventions of the hacks' own files.
TEST(XscreensaverSettings, EveryCommandLineTheDialogBuildsIsAccepted)
{
    QFile file(VOROQUARN_SAVER_SETTINGS);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    Arguments command;
    std::vector<Arguments> choices;
    bool showsFps = false;
    bool updater = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QXmlStreamAttributes a = xml.attributes();
        const auto words = [](const QString& text) {
            Arguments result;
            for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
                result.push_back(word.toStdString());
            }
            return result;
        };
        if (xml.name() == QLatin1String("command")) {
            command = words(a.value("arg").toString());
        } else if (xml.name() == QLatin1String("number")) {
            for (const char* end : {"low", "high", "default"}) {
                choices.push_back(words(a.value("arg").toString().replace('%', a.value(end).toString())));
            }
        } else if (xml.name() == QLatin1String("boolean")) {
            choices.push_back(words(a.value("arg-set").toString() + a.value("arg-unset").toString()));
            showsFps = showsFps || (a.value("id") == QLatin1String("showfps") &&
                                    a.value("_label") == QLatin1String("Show frame rate") &&
                                    a.value("arg-set") == QLatin1String("--fps"));
        } else if (xml.name() == QLatin1String("xscreensaver-updater")) {
            updater = true;
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(command, Arguments{"--root"});
    EXPECT_TRUE(showsFps);
    EXPECT_TRUE(updater);
    ASSERT_GE(choices.size(), 7U);
    for (const Arguments& choice : choices) {
        Arguments one = command;
        one.insert(one.end(), choice.begin(), choice.end());
        const CommandLine result = parse(one);
        EXPECT_TRUE(result.options) << joined(one) << ": " << result.text;
    }
}

}  // namespace
}  // namespace voroquarn
