// Reading site files: good files, each kind of fault, and writing sites back.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "diagram/SiteFile.h"
#include "support/SiteFileInvariants.h"

namespace voroquarn {
namespace {

using namespace std::string_literals;  // for texts holding NUL bytes
using testing::brokenSiteFileInvariant;
using testing::sameBits;

std::string describe(const std::vector<Site>& sites)
{
    std::string text;
    for (const Site& site : sites) {
        text += formatSite(site) + '\n';
    }
    return text;
}

// n lines of one site each.
std::string siteLines(int n)
{
    std::string text;
    for (int k = 1; k <= n; ++k) {
        text += std::to_string(k) + " " + std::to_string(2 * k) + " " + std::to_string(10 * k) + "\n";
    }
    return text;
}

TEST(SiteFile, ReadsGoodFiles)
{
    constexpr double MIN_DOUBLE = std::numeric_limits<double>::denorm_min();
    constexpr float MIN_FLOAT = std::numeric_limits<float>::denorm_min();
    struct Case {
        std::string text;
        std::vector<Site> sites;
    };
    const Case cases[] = {
        {"1 2 3", {{1, 2, 3}}},
        {"1 2 3\r\n4 5 6\r\n", {{1, 2, 3}, {4, 5, 6}}},
        {"1 2 3\r", {{1, 2, 3}}},
        {"# sites\n\n   # indented\n\t\n1 2 3\n#\n", {{1, 2, 3}}},
        {" \t1\t\t2   3 \t\n", {{1, 2, 3}}},
        {"3 3 3\n1 1 1\n2 2 2\n", {{3, 3, 3}, {1, 1, 1}, {2, 2, 2}}},
        {"+1.5 -2e3 .25", {{1.5, -2000, 0.25F}}},
        {"1. 1E+2 7e-1", {{1, 100, 0.7F}}},
        // Out of double range on the small side: zero, keeping the sign.
        {"1e-999 -1e-999 1", {{0, -0.0, 1}}},
        {"4e-324 1e308 1", {{MIN_DOUBLE, 1e308, 1}}},
        // The weight is rounded to single precision; the largest finite float is still fine.
        {"0 0 0.1", {{0, 0, 0.1F}}},
        {"0 0 1e-45", {{0, 0, MIN_FLOAT}}},
        {"0 0 3.4028235e38", {{0, 0, FLT_MAX}}},
        {"0 0 3.402823567797336e38", {{0, 0, FLT_MAX}}},
        // The byte order mark that editors write at the start of a file.
        {"\xEF\xBB\xBF" "1 2 3\n", {{1, 2, 3}}},
        {"\xEF\xBB\xBF# sites\r\n4 5 6\r\n", {{4, 5, 6}}},
    };
    for (const Case& c : cases) {
        const SiteFileContents contents = parseSiteFile(c.text);
        ASSERT_FALSE(contents.error) << c.text << ": " << contents.error->message;
        ASSERT_EQ(contents.sites.size(), c.sites.size()) << c.text;
        for (std::size_t k = 0; k < c.sites.size(); ++k) {
            EXPECT_TRUE(sameBits(contents.sites[k], c.sites[k]))
                << c.text << " gave " << describe(contents.sites);
        }
    }
}

TEST(SiteFile, RefusesBadFilesNamingTheLine)
{
    const std::string longField(100, 'z');
    const std::string cutInMu = std::string(39, 'z') + "\xC2\xB5zz";  // the cut at 40 bytes falls inside the µ
    struct Case {
        std::string text;
        int line;
        std::string message;
    };
    const Case cases[] = {
        {"", 0, "no sites in the file"},
        {"\n\r\n# only a comment\n  \n", 0, "no sites in the file"},

        {"abc 2 3", 1, R"(expected a number, found "abc")"},
        {"1.5x 2 3", 1, R"(expected a number, found "1.5x")"},
        {"0x10 2 3", 1, R"(expected a number, found "0x10")"},
        {"1,5 2 3", 1, R"(expected a number, found "1,5")"},
        {"1 2 +-3", 1, R"(expected a number, found "+-3")"},
        {"1 + 3", 1, R"(expected a number, found "+")"},
        {"1 2 1e", 1, R"(expected a number, found "1e")"},
        {"1 2 3\xC2\xB5", 1, "expected a number, found \"3\xC2\xB5\""},
        {"1 2 " + longField, 1, "expected a number, found \"" + longField.substr(0, 40) + "...\""},
        {"1 2 " + cutInMu, 1, "expected a number, found \"" + cutInMu.substr(0, 39) + "...\""},

        {"1 2", 1, "too few numbers: expected x y weight"},
        {"1 2 3 4", 1, "too many numbers: expected x y weight"},
        {"1 2 3 # a note", 1, "too many numbers: expected x y weight"},

        {"1e999 0 1", 1, "x is not finite"},
        {"nan 0 1", 1, "x is not finite"},
        {"0 -1e999 1", 1, "y is not finite"},
        {"0 +inf 1", 1, "y is not finite"},
        {"0 0 1e999", 1, "weight is not finite"},
        {"0 0 -nan", 1, "weight is not finite"},
        {"0 0 infinity", 1, "weight is not finite"},
        {"0 0 0.0000e99999999999999999999", 1, "weight must be greater than 0"},
        {"0 0 -0", 1, "weight must be greater than 0"},
        {"0 0 -1e-999", 1, "weight must be greater than 0"},
        {"0 0 3.4028236e38", 1, "weight is too large for single precision"},
        {"0 0 3.4028235677973366e38", 1, "weight is too large for single precision"},
        {"0 0 1e-46", 1, "weight is too small for single precision"},
        {"0 0 1e-999", 1, "weight is too small for single precision"},
        {"0 0 0.00000000001e-99999999999999999999", 1, "weight is too small for single precision"},
        // Many digits do not fool the range check.
        {"0 0 " + std::string(500, '9') + "e-100", 1, "weight is not finite"},
        {"0 0 0." + std::string(500, '0') + "1e100", 1, "weight is too small for single precision"},
        {"0 0 1" + std::string(500, '0') + "e-999", 1, "weight is too small for single precision"},

        {"1 2 3\0"s, 1, "unexpected control character"},
        {"\0\0\0\n1 2 3"s, 1, "unexpected control character"},
        {"1\v2 3", 1, "unexpected control character"},
        {"1 2 3\x7F", 1, "unexpected control character"},
        {"1 2\r3", 1, "unexpected control character"},
        {"1 2 3\r\r\n", 1, "unexpected control character"},
        {"# a\x1B[0m note\n1 2 3", 1, "unexpected control character"},

        // Lines count from 1, blank and comment lines and CRLF ends included.
        {"1 2 3\n\n# c\nx 2 3\n", 4, R"(expected a number, found "x")"},
        {"1 2 3\r\n\r\nbad\r\n", 3, "too few numbers: expected x y weight"},
        {siteLines(11) + "# end\n12 24\n", 13, "too few numbers: expected x y weight"},
        // Only the start of the file may hold a byte order mark.
        {"1 2 3\n\xEF\xBB\xBF" "4 5 6\n", 2, "expected a number, found \"\xEF\xBB\xBF" "4\""},
    };
    for (const Case& c : cases) {
        const SiteFileContents contents = parseSiteFile(c.text);
        ASSERT_TRUE(contents.error) << c.text;
        EXPECT_EQ(contents.error->line, c.line) << c.text;
        EXPECT_EQ(contents.error->message, c.message) << c.text;
        EXPECT_TRUE(contents.sites.empty()) << c.text;
    }
}

TEST(SiteFile, TakesUpToAMillionSites)
{
    EXPECT_EQ(parseSiteFile(siteLines(11)).sites.size(), 11U);
    EXPECT_EQ(parseSiteFile(siteLines(5000)).sites.size(), 5000U);
    // A fault on a late line is the fault of that line.
    const SiteFileContents late = parseSiteFile(siteLines(4999) + "1 2\n");
    ASSERT_TRUE(late.error);
    EXPECT_EQ(late.error->line, 5000);
    EXPECT_EQ(late.error->message, "too few numbers: expected x y weight");

    std::string million = "# comment\n";
    for (int k = 0; k < MAX_SITE_FILE_SITES; ++k) {
        million += "1 2 3\n";
    }
    EXPECT_EQ(parseSiteFile(million + "\n# more\n").sites.size(), 1000000U);
    const SiteFileContents more = parseSiteFile(million + "\n4 5 6\n");
    ASSERT_TRUE(more.error);
    EXPECT_EQ(more.error->line, 1000003);
    EXPECT_EQ(more.error->message, "more than 1000000 sites, the most a file may hold");
    EXPECT_TRUE(more.sites.empty());
}

TEST(SiteFile, LimitsTheLengthOfEveryLine)
{
    const std::string site = "1 2 3";
    const auto padded = [&site](std::size_t length) { return site + std::string(length - site.size(), ' '); };
    const std::size_t limit = MAX_SITE_FILE_LINE;

    EXPECT_FALSE(parseSiteFile(padded(limit)).error);
    EXPECT_FALSE(parseSiteFile(padded(limit) + "\r\n").error);  // the line end does not count
    EXPECT_FALSE(parseSiteFile("# " + std::string(limit - 2, 'x') + "\n" + site).error);

    const std::string tooLong[] = {
        padded(limit + 1),
        site + "\n#" + std::string(limit, 'x'),
        site + "\n" + std::string(1 << 20, ' '),
        site + "\n1 2 " + std::string(1 << 20, '9'),
    };
    for (const std::string& text : tooLong) {
        const SiteFileContents contents = parseSiteFile(text);
        ASSERT_TRUE(contents.error);
        EXPECT_EQ(contents.error->message, "line is longer than 4096 characters");
        EXPECT_EQ(contents.error->line, text.size() == limit + 1 ? 1 : 2);
    }

    // Read as it arrives, a line is refused as soon as it is too long, its end unseen;
    // up to then its byte order mark and a CR that may end it do not count.
    SiteFileReader reader;
    EXPECT_TRUE(reader.read("\xEF\xBB"));
    EXPECT_TRUE(reader.read("\xBF" + padded(limit) + "\r"));
    EXPECT_TRUE(reader.read("\n\xEF\xBB\xBF" + std::string(limit - 3, 'x')));
    EXPECT_FALSE(reader.read("x"));
    const SiteFileContents refused = reader.finish();
    ASSERT_TRUE(refused.error);
    EXPECT_EQ(refused.error->line, 2);
    EXPECT_EQ(refused.error->message, "line is longer than 4096 characters");
}

TEST(SiteFile, SurvivesGarbage)
{
    // Random bytes, and random strings of the characters that make up site files, which
    // reach far more of the parser.
    const std::string alphabet = "0123456789.eE+-#naif \t\t  \n\n\r";
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 4000; ++round) {
        std::string text(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : text) {
            c = round % 2 == 0 ? static_cast<char>(byte(random)) : alphabet[pick(random)];
        }
        const SiteFileContents whole = parseSiteFile(text);
        EXPECT_EQ(brokenSiteFileInvariant(text, whole), "") << "round " << round;
        // Read as it arrives, in pieces, the text gives the same.
        SiteFileReader reader;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t piece = std::min<std::size_t>(text.size() - at, 1 + length(random) % 8);
            reader.read(std::string_view(text).substr(at, piece));
            at += piece;
        }
        const SiteFileContents pieces = reader.finish();
        EXPECT_EQ(describe(pieces.sites), describe(whole.sites)) << "round " << round;
        EXPECT_EQ(pieces.error.has_value(), whole.error.has_value()) << "round " << round;
        if (pieces.error && whole.error) {
            EXPECT_EQ(pieces.error->line, whole.error->line) << "round " << round;
            EXPECT_EQ(pieces.error->message, whole.error->message) << "round " << round;
        }
    }
}

TEST(SiteFile, WritesSitesThatReadBackBitForBit)
{
    constexpr double MAX_DOUBLE = std::numeric_limits<double>::max();
    constexpr double MIN_DOUBLE = std::numeric_limits<double>::denorm_min();
    constexpr float MIN_FLOAT = std::numeric_limits<float>::denorm_min();
    std::vector<Site> sites = {
        {0.1, 1.0 / 3, 0.1F},
        {-0.0, 0, 1},
        {MAX_DOUBLE, -MAX_DOUBLE, FLT_MAX},
        {MIN_DOUBLE, -DBL_MIN, MIN_FLOAT},
        {123456789.123456789, -9.87654321e-300, 999.999939F},
        {std::nextafter(1.0, 2.0), std::nextafter(1.0, 0.0), std::nextafter(1.0F, 2.0F)},
        {2.0 / 3 * 1e-310, 2.0 / 3 * 1e22, FLT_MIN},
    };
    std::mt19937_64 random(7);
    while (sites.size() < 2000) {
        const auto x = std::bit_cast<double>(random());
        const auto y = std::bit_cast<double>(random());
        const auto w = std::abs(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        if (std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && w > 0) {
            sites.push_back({x, y, w});
        }
    }
    for (const Site& site : sites) {
        const std::string line = formatSite(site);
        std::array<char, 128> printed{};
        std::snprintf(printed.data(), printed.size(), "%.17g %.17g %.9g", site.x, site.y,
                      static_cast<double>(site.w));
        EXPECT_EQ(line, printed.data());

        const SiteFileContents contents = parseSiteFile(line);
        ASSERT_FALSE(contents.error) << line << ": " << contents.error->message;
        ASSERT_EQ(contents.sites.size(), 1U);
        EXPECT_TRUE(sameBits(contents.sites[0], site)) << line;
    }
    EXPECT_EQ(formatSite({1, -0.0, 0.5F}), "1 -0 0.5");
}

}  // namespace
}  // namespace voroquarn
