// The program as a command: errors, image output and reproducible pictures.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/Version.h"
#include "support/CommandRun.h"

namespace {

using Result = voroquarn::testing::CommandResult;

Result runProgram(const QStringList& arguments, const QByteArray& input = {})
{
    return voroquarn::testing::runCommand(VOROQUARN_BINARY, arguments, input);
}

class Cli : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const QByteArray& content) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path(name);
    }
    QStringList files() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir_;
};

TEST_F(Cli, EveryErrorIsOneLineAndStatusTwoAndLeavesNoFile)
{
    const QString good = write("good.txt", "100 100 5\n300 200 9\n");
    const QString badLine = write("bad.txt", "# sites\n100 100 5\n300 two 9\n");
    const QString empty = write("empty.txt", "# nothing here\n\n");
    QByteArray many;
    for (int k = 0; k < 12; ++k) {
        many += QByteArray::number(10 * k) + " 10 5\n";
    }
    const QString tooMany = write("many.txt", many);
    const QString garbage = write("garbage.bin", QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0", 10));
    const QString out = path("out.png");

    struct Case {
        QStringList arguments;
        QString message;  // a part of the one line
    };
    const Case cases[] = {
        {{"--bogus", "--output", out}, "Unknown option"},
        {{"--seed", "4294967296", "--output", out}, "--seed"},
        {{"--size", "0x1", "--output", out}, "--size"},
        {{"--sites", path("missing.txt"), "--output", out}, "no such file"},
        {{"--sites", dir_.path(), "--output", out}, "folder"},
        {{"--sites", badLine, "--output", out}, badLine + ":3:"},
        {{"--sites", empty, "--output", out}, "no sites"},
        {{"--sites", tooMany, "--output", out}, tooMany + ":12:"},
        {{"--sites", garbage, "--output", out}, garbage + ":1:"},
        {{"--sites", good, "--output", path("no/such/folder/out.png")}, "does not exist"},
        {{"--sites", good, "--output", dir_.path()}, "folder"},
        {{"--sites", good}, "no window system"},
    };
    for (const Case& c : cases) {
        const Result result = runProgram(c.arguments);
        const QString name = c.arguments.join(' ');
        EXPECT_EQ(result.status, 2) << name.toStdString();
        EXPECT_TRUE(result.err.startsWith("voroquarn: ")) << result.err.toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(c.message)) << name.toStdString() << ": " << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_FALSE(QFile::exists(out)) << name.toStdString();
    }
    EXPECT_EQ(files().size(), 5);  // the five site files, nothing else
}

TEST_F(Cli, AFailedRunLeavesAnExistingPictureAlone)
{
    const QString out = write("picture.png", "precious");
    const Result result = runProgram({"--sites", "-", "--output", out}, "1 2\n");
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.contains("standard input:1:")) << result.err.toStdString();
    QFile kept(out);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("precious"));
}

TEST_F(Cli, TheSameSeedGivesTheSamePictureAndAnotherSeedAnother)
{
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        const QString seed = QString::fromLatin1(name) == "c.png" ? "8" : "7";
        ASSERT_EQ(runProgram({"--seed", seed, "--size", "320x240", "--output", path(name)}).status, 0);
    }
    const QImage a(path("a.png"));
    EXPECT_EQ(a.size(), QSize(320, 240));
    EXPECT_EQ(a, QImage(path("b.png")));
    EXPECT_NE(a, QImage(path("c.png")));
    EXPECT_EQ(files(), QStringList({"a.png", "b.png", "c.png"}));  // no temporary left
}

TEST_F(Cli, PrintedSitesReplayTheIdenticalPicture)
{
    const Result printed = runProgram({"--seed", "2026", "--print-sites", "--output", path("random.png")});
    ASSERT_EQ(printed.status, 0) << printed.err.toStdString();
    const QStringList lines = printed.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_GE(lines.size(), 4);
    EXPECT_LE(lines.size(), 9);

    const QString sites = write("sites.txt", printed.out.toUtf8());
    const Result replayed = runProgram({"--sites", sites, "--print-sites", "--output", path("replay.png")});
    ASSERT_EQ(replayed.status, 0) << replayed.err.toStdString();
    EXPECT_EQ(replayed.out, printed.out);
    EXPECT_EQ(QImage(path("random.png")), QImage(path("replay.png")));
}

TEST_F(Cli, HelpAndVersionGoToStandardOutput)
{
    const Result help = runProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--sites <FILE>"));
    // Name and version first, written as major.minor.revision with 2 and 4 digits; then
    // the copyright, the licence and the warranty.
    const Result version = runProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    const QStringList lines = version.out.split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("voroquarn %1").arg(voroquarn::VERSION_TEXT));
    EXPECT_TRUE(QRegularExpression("^voroquarn \\d+\\.\\d{2}\\.\\d{4}$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_EQ(lines[1], "Copyright (c) 2026 the voroquarn authors");
    EXPECT_TRUE(version.out.contains("License MIT"));
    EXPECT_TRUE(version.out.contains("NO WARRANTY"));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
