// Reading the command line.
#include <gtest/gtest.h>

#include "app/Options.h"
#include "app/Version.h"

namespace voroquarn {
namespace {

CommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("voroquarn"));
    return parseCommandLine(arguments);
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
    ASSERT_TRUE(all.options) << all.text.toStdString();
    EXPECT_EQ(all.options->seed, 4294967295U);
    EXPECT_EQ(all.options->sitesPath, QStringLiteral("-"));
    EXPECT_EQ(all.options->size, QSize(1, 16384));
    EXPECT_EQ(all.options->outputPath, QStringLiteral("a.png"));
    EXPECT_TRUE(all.options->printSites);
    EXPECT_TRUE(all.options->fill);

    EXPECT_EQ(parse({"--seed=0"}).options->seed, 0U);
    EXPECT_EQ(parse({"--seed", "0007"}).options->seed, 7U);

    const CommandLine help = parse({"--help"});
    EXPECT_FALSE(help.isError);
    EXPECT_TRUE(help.text.contains("--print-sites"));
    const CommandLine version = parse({"-v"});
    EXPECT_FALSE(version.isError);
    EXPECT_TRUE(version.text.startsWith(QStringLiteral("voroquarn %1\n").arg(VERSION_TEXT)));
    const CommandLine shortHelp = parse({"-h"});
    EXPECT_TRUE(shortHelp.text.contains("--window-id <ID>"));
    EXPECT_TRUE(shortHelp.text.contains("Ctrl+S saves"));
}

TEST(CommandLine, TheOutputsExtensionChoosesItsFormatInAnyCase)
{
    const std::pair<const char*, OutputFormat> cases[] = {
        {"a.png", OutputFormat::Png}, {"a.SVG", OutputFormat::Svg}, {"b.tar.Pdf", OutputFormat::Pdf},
        {"dir.svg/a.pdf", OutputFormat::Pdf},
        // Without an extension, as ever: standard output, devices, plain names.
        {"-", OutputFormat::Png}, {"/dev/null", OutputFormat::Png}, {"dir.svg/picture", OutputFormat::Png},
        {".svg", OutputFormat::Png}, {"picture.", OutputFormat::Png},
    };
    for (const auto& [name, format] : cases) {
        const CommandLine result = parse({"--output", name});
        ASSERT_TRUE(result.options) << name << ": " << result.text.toStdString();
        EXPECT_EQ(result.options->outputFormat, format) << name;
    }
}

// The screen-saver options, with one dash as xscreensaver writes them or with two.
TEST(CommandLine, AcceptsTheScreenSaverOptions)
{
    struct Case {
        QStringList arguments;
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
    };
    for (const Case& c : cases) {
        const CommandLine result = parse(c.arguments);
        ASSERT_TRUE(result.options) << c.arguments.join(' ').toStdString() << ": " << result.text.toStdString();
        EXPECT_EQ(result.options->target, c.target);
        EXPECT_EQ(result.options->windowId, c.windowId);
        EXPECT_TRUE(result.options->cycle);
    }
    const CommandLine timed = parse({"-saver", "-linger", "0", "--delay=1000000", "-seed", "9"});
    ASSERT_TRUE(timed.options) << timed.text.toStdString();
    EXPECT_EQ(timed.options->lingerSeconds, 0);
    EXPECT_EQ(timed.options->delayMicroseconds, 1000000);
    EXPECT_EQ(timed.options->seed, 9U);
    EXPECT_TRUE(parse({"-root", "-fill"}).options->fill);
    // A delay alone slows down the one diagram of the design window.
    EXPECT_EQ(parse({"--delay", "500"}).options->delayMicroseconds, 500);
}

TEST(CommandLine, RefusesBadValuesWithAMessage)
{
    const std::pair<QStringList, const char*> cases[] = {
        {{"--seed", "4294967296"}, "--seed"},
        {{"--seed", "-1"}, "--seed"},
        {{"--seed", "12x"}, "--seed"},
        {{"--seed", ""}, "--seed"},
        {{"--seed", "99999999999999999999999"}, "--seed"},
        {{"--seed"}, "Missing value"},
        {{"--size", "0x10"}, "--size"},
        {{"--size", "16385x10"}, "--size"},
        {{"--size", "10X10"}, "--size"},
        {{"--size", "-5x10"}, "--size"},
        {{"--size", "10x"}, "--size"},
        {{"--output", ""}, "--output"},
        {{"--output", "a.jpg"}, "--output writes .png, .svg or .pdf files, not 'a.jpg'"},
        {{"--output", "a.svg.txt"}, "--output writes"},
        {{"--sites", ""}, "--sites needs a file name"},
        {{"--colour", "red"}, "Unknown option"},
        {{"-root-window"}, "Unknown option"},
        {{"picture.png"}, "unexpected argument"},
        // A final newline is not part of the number.
        {{"--seed", "5\n"}, "--seed"},
        {{"--size", "5x5\n"}, "--size"},
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
        {{"--seed", QString(100000, '9')}, "--seed"},
        {{"--size", QString(100000, 'x')}, "--size"},
        {{"--" + QString(100000, 'x')}, "Unknown option"},
        {{QString(100000, 'x')}, "unexpected argument"},
        {{"--linger", "86401", "--cycle"}, "--linger"},
        {{"--linger", "1.5", "--cycle"}, "--linger"},
        {{"--delay", "-1"}, "--delay"},
        {{"--delay", "1000001"}, "--delay"},
        {{"--window-id", "0"}, "--window-id"},
        {{"--window-id", "0x100000000"}, "--window-id"},
        {{"--window-id", "4294967296"}, "--window-id"},
        {{"--window-id", "0x"}, "--window-id"},
        {{"--window-id", "12ab"}, "--window-id"},
        {{"--window-id", "5\n"}, "--window-id"},
        // Combinations that cannot mean anything.
        {{"--root", "--window-id", "5"}, "give one"},
        {{"--saver", "--root"}, "give one"},
        {{"--root", "--output", "a.png"}, "--root"},
        {{"--cycle", "--output", "a.png"}, "--cycle"},
        {{"--delay", "5", "--output", "a.png"}, "--delay"},
        {{"--saver", "--size", "100x100"}, "--size"},
        {{"--window-id", "5", "--size", "100x100"}, "--size"},
        {{"--linger", "5"}, "--linger needs"},
    };
    for (const auto& [arguments, fragment] : cases) {
        const CommandLine result = parse(arguments);
        const std::string name = arguments.join(' ').left(80).toStdString();
        EXPECT_FALSE(result.options) << name;
        EXPECT_TRUE(result.isError);
        EXPECT_TRUE(result.text.contains(QString::fromUtf8(fragment))) << name << ": " << result.text.toStdString();
        EXPECT_FALSE(result.text.contains('\n')) << name;
        EXPECT_LT(result.text.size(), 200) << name;
    }
}

}  // namespace
}  // namespace voroquarn
