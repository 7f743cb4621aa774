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
}

TEST(CommandLine, AcceptsEveryOptionInItsUsualSpellings)
{
    const CommandLine all = parse({"--seed", "4294967295", "--sites=-", "--size", "1x16384",
                                   "--output", "a.png", "--print-sites"});
    ASSERT_TRUE(all.options) << all.text.toStdString();
    EXPECT_EQ(all.options->seed, 4294967295U);
    EXPECT_EQ(all.options->sitesPath, QStringLiteral("-"));
    EXPECT_EQ(all.options->size, QSize(1, 16384));
    EXPECT_EQ(all.options->outputPath, QStringLiteral("a.png"));
    EXPECT_TRUE(all.options->printSites);

    EXPECT_EQ(parse({"--seed=0"}).options->seed, 0U);
    EXPECT_EQ(parse({"--seed", "0007"}).options->seed, 7U);

    const CommandLine help = parse({"--help"});
    EXPECT_FALSE(help.isError);
    EXPECT_TRUE(help.text.contains("--print-sites"));
    const CommandLine version = parse({"-v"});
    EXPECT_FALSE(version.isError);
    EXPECT_TRUE(version.text.startsWith(QStringLiteral("voroquarn %1\n").arg(VERSION_TEXT)));
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
        // A huge value is not echoed whole.
        {{"--seed", QString(100000, '9')}, "--seed"},
        {{"--size", QString(100000, 'x')}, "--size"},
        {{"--" + QString(100000, 'x')}, "Unknown option"},
        {{QString(100000, 'x')}, "unexpected argument"},
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
