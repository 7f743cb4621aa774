// The program as a command: errors, image output and reproducible pictures.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const QString garbage = write("garbage.bin", QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0", 10));
    const QString out = path("out.png");

    const QString longName(300, 'n');                   // longer than a name may be
    const QString deepFolder = QString("d/").repeated(2100);  // longer than a path may be
    using Environment = QList<QPair<QString, QString>>;
    struct Case {
        QStringList arguments;
        QString message;  // a part of the one line
        Environment environment = {};
        bool usage = false;  // an error in the command line, which the help's hint follows
    };
    const Case cases[] = {
        {{"--bogus", "--output", out}, "unknown option '--bogus'", {}, true},
        {{"--seed", "4294967296", "--output", out}, "--seed", {}, true},
        {{"--size", "0x1", "--output", out}, "--size", {}, true},
        {{"--sites", path("missing.txt"), "--output", out}, "no such file"},
        {{"--sites", dir_.path(), "--output", out}, "folder"},
        {{"--sites", badLine, "--output", out}, badLine + ":3:"},
        {{"--sites", empty, "--output", out}, "no sites"},
        {{"--sites", garbage, "--output", out}, garbage + ":1:"},
        {{"--sites", good, "--output", path("no/such/folder/out.png")}, "does not exist"},
        {{"--sites", good, "--output", dir_.path()}, "folder"},
        {{"--sites", good, "--output", path("out.jpg")}, "--output writes .png, .svg, .pdf, .csv or .geojson", {}, true},
        {{"--sites", good}, "no window system"},
        {{"--sites", good, "--display", ":59999"}, "the X display that --display names could not be reached"},
        // Platforms that show no window would draw for nobody and never end.
        {{"--sites", good}, "--output", {{"QT_QPA_PLATFORM", "offscreen"}}},
        {{"--seed", "3"}, "--output", {{"QT_QPA_PLATFORM", "minimal"}}},
        {{"--sites", path(longName), "--output", out}, "the name is too long"},
        {{"--sites", good, "--output", path(deepFolder + "out.png")}, "the name is too long"},
        {{"--sites", good, "--output", path(longName + ".png")}, "the name is too long"},
    };
    for (const Case& c : cases) {
        const Result result =
            voroquarn::testing::runCommand(VOROQUARN_BINARY, c.arguments, {}, c.environment);
        const QString name = c.arguments.join(' ').left(200);
        EXPECT_EQ(result.status, 2) << name.toStdString();
        EXPECT_TRUE(result.err.startsWith("voroquarn: ")) << result.err.toStdString();
        const QStringList lines = result.err.split('\n');
        EXPECT_EQ(lines.size(), c.usage ? 3 : 2) << result.err.toStdString();
        if (c.usage && lines.size() == 3) {
            EXPECT_EQ(lines[1], "Try 'voroquarn --help' for more information.");
        }
        EXPECT_TRUE(lines[0].contains(c.message)) << name.toStdString() << ": " << result.err.toStdString();
        EXPECT_LT(result.err.size(), 400) << name.toStdString();  // long values are cut
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_FALSE(QFile::exists(out)) << name.toStdString();
    }
    EXPECT_EQ(files().size(), 4);  // the four site files, nothing else
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

// Sites from a pipe are read to its end, however its writer splits them: a number cut
// between two writes is one number, and no later line is lost.
TEST_F(Cli, SitesFromAPipeAreReadToTheirEnd)
{
    const Result result = voroquarn::testing::runCommand(
        "/bin/sh", {"-c",
                    "(printf '100 100 3'; sleep 0.3; printf '00\\n400 300 310\\n'; sleep 0.3; printf '250 420 900\\n') "
                    "| exec \"$0\" --sites - --print-sites --output \"$1\"",
                    VOROQUARN_BINARY, path("piped.png")});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.toStdString(), "100 100 300\n400 300 310\n250 420 900\n");
}

// What is no site file, or too large a one, is refused as soon as that shows: a regular
// file by its size, a line once it is too long, the sites once there are too many. So
// it takes far less memory than the 1 GiB a site file may have (not with the
// sanitizers, which reserve more than any limit).
TEST_F(Cli, SitesAreRefusedBeforeTheyCost)
{
    const auto sparse = [&](const QString& name, qint64 size) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
        return path(name);
    };
    const QByteArray tooMany = QByteArray("0 0 1\n").repeated(1000001);
    const struct {
        QString sites;
        QByteArray input;
        QString message;
    } cases[] = {
        {sparse("large.txt", qint64{2} << 30), {}, path("large.txt") + ": larger than 1024 MiB, not a site file"},
        {sparse("nul.txt", 900 << 20), {}, path("nul.txt") + ":1: line is longer than 4096 characters"},
        {"/dev/zero", {}, "/dev/zero:1: line is longer than 4096 characters"},
        {"-", tooMany, "standard input:1000001: more than 1000000 sites, the most a file may hold"},
    };
    for (const auto& c : cases) {
        const Result result = voroquarn::testing::runCommand(
            VOROQUARN_BINARY, {"--sites", c.sites, "--output", path("out.png")}, c.input, {}, [] {
#ifndef VOROQUARN_SANITIZED
                const rlimit half{512 << 20, 512 << 20};
                setrlimit(RLIMIT_AS, &half);
#endif
            });
        EXPECT_EQ(result.status, 2) << c.sites.toStdString();
        EXPECT_EQ(result.err, "voroquarn: " + c.message + "\n");
    }
}

// Names are bytes: a site file and a picture whose names are not UTF-8 are read and
// written under exactly those names. A message shows what could steer a terminal (C0
// and C1 controls, the escape character, bytes outside UTF-8) only as escapes.
TEST_F(Cli, NamesAreBytesAndMessagesEscapeWhatCouldSteerATerminal)
{
    const QByteArray folder = QFile::encodeName(dir_.path());
    const QByteArray sites = folder + "/s\xff.txt";
    const QByteArray picture = folder + "/bad\xff.png";
    // Qt cannot name them to take them away.
    const auto removeThem = qScopeGuard([&] {
        ::unlink(sites.constData());
        ::unlink(picture.constData());
    });
    const int fd = ::open(sites.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "100 100 5\n300 200 9\n", 20), 20);
    ::close(fd);
    // The shell makes the bytes, which no QString holds: \377 is 0xff, \302\233 the
    // C1 control CSI.
    const auto withNames = [&](const QString& arguments) {
        return voroquarn::testing::runCommand("/bin/sh", {"-c", "exec \"$0\" " + arguments, VOROQUARN_BINARY});
    };
    const QString dir = dir_.path();
    const Result written = withNames("--sites \"$(printf '" + dir + "/s\\377.txt')\" --print-sites " +
                                     "--output \"$(printf '" + dir + "/bad\\377.png')\"");
    EXPECT_EQ(written.status, 0) << written.err.toStdString();
    EXPECT_EQ(written.out.toStdString(), "100 100 5\n300 200 9\n");
    struct stat status {};
    EXPECT_EQ(::stat(picture.constData(), &status), 0) << "not written under its own name";
    int names = 0;  // and under no other: QDir passes over names that are not UTF-8
    DIR* listing = ::opendir(folder.constData());
    while (const dirent* entry = listing != nullptr ? ::readdir(listing) : nullptr) {
        names += entry->d_name[0] != '.' ? 1 : 0;
    }
    ::closedir(listing);
    EXPECT_EQ(names, 2);

    const Result refused = withNames("--sites \"$(printf '" + dir + "/\\302\\233\\033]2;x\\007\\377')\"");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.errBytes.toStdString(),
              "voroquarn: " + folder.toStdString() + "/\\xc2\\x9b\\x1b]2;x\\x07\\xff: no such file\n");
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

    // The PDF too, to the byte, whenever and in whatever time zone: it was made at
    // SOURCE_DATE_EPOCH, or else at a fixed date.
    const auto pdf = [&](const QString& zone, const QString& epoch) {
        const QString name = path("seven.pdf");
        EXPECT_EQ(voroquarn::testing::runCommand(VOROQUARN_BINARY, {"--seed", "7", "--output", name}, {},
                                                 {{"TZ", zone}, {"SOURCE_DATE_EPOCH", epoch}})
                      .status,
                  0);
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray fixed = pdf("UTC0", "");
    EXPECT_TRUE(fixed.contains("/CreationDate (D:19700101000000Z)"));
    EXPECT_EQ(pdf("IST-5:30", ""), fixed);
    EXPECT_EQ(pdf("IST-5:30", "1672628645"), QByteArray(fixed).replace("D:19700101000000Z", "D:20230102030405Z"));
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

// --count's sites lie anywhere in the picture, up to its edges and nowhere beyond.
TEST_F(Cli, CountedSitesCoverThePicture)
{
    const Result printed = runProgram({"--count", "3000", "--seed", "1", "--size", "100x60", "--no-labels",
                                       "--print-sites", "--output", path("many.png")});
    ASSERT_EQ(printed.status, 0) << printed.err.toStdString();
    double left = 100, top = 60, right = 0, bottom = 0;
    for (const QString& line : printed.out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList xyw = line.split(' ');
        left = std::min(left, xyw[0].toDouble());
        right = std::max(right, xyw[0].toDouble());
        top = std::min(top, xyw[1].toDouble());
        bottom = std::max(bottom, xyw[1].toDouble());
    }
    EXPECT_EQ(printed.out.count('\n'), 3000);
    EXPECT_TRUE(left >= 0 && left < 1 && top >= 0 && top < 1) << left << " " << top;
    EXPECT_TRUE(right > 99 && right < 100 && bottom > 59 && bottom < 60) << right << " " << bottom;
}

TEST_F(Cli, AFailedWriteToStandardOutputIsAnError)
{
    const QString out = path("out.png");
    const QStringList printing = {"--seed", "1", "--print-sites", "--output", out};
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    close(pipeEnds[0]);  // nobody reads
    const int noReader = pipeEnds[1];

    struct Case {
        QString stdoutIs;
        std::function<void()> inChild;
        QStringList arguments;
        QString reason;  // empty: ends without a word
    };
    const auto full = [] { dup2(open("/dev/full", O_WRONLY), STDOUT_FILENO); };
    const Case cases[] = {
        {"/dev/full", full, printing, "No space left on device"},
        {"/dev/full", full, {"--help"}, "No space left on device"},
        {"/dev/full", full, {"--version"}, "No space left on device"},
        // Whatever the program opens next must not take the place of standard output.
        {"closed", [] { close(STDOUT_FILENO); }, printing, "Bad file descriptor"},
        {"a pipe without reader", [noReader] { dup2(noReader, STDOUT_FILENO); }, printing, ""},
    };
    for (const Case& c : cases) {
        const std::string name = c.stdoutIs.toStdString() + ": " + c.arguments.join(' ').toStdString();
        const Result result = voroquarn::testing::runCommand(VOROQUARN_BINARY, c.arguments, {}, {}, c.inChild);
        EXPECT_EQ(result.status, 2) << name;
        const QString expected = c.reason.isEmpty() ? QString()
                                                    : "voroquarn: cannot write to standard output: " + c.reason + "\n";
        EXPECT_EQ(result.err, expected) << name;
        EXPECT_FALSE(QFile::exists(out)) << name;
    }
    close(noReader);
    // With nothing to write, a closed standard output is no fault.
    const Result quiet = voroquarn::testing::runCommand(VOROQUARN_BINARY, {"--seed", "1", "--output", out}, {}, {},
                                                        [] { close(STDOUT_FILENO); });
    EXPECT_EQ(quiet.status, 0) << quiet.err.toStdString();
    EXPECT_TRUE(QFile::exists(out));
}

// A long run says how far it is on a terminal only. Three runs at once, each held up for
// two seconds by the slow reader of its picture, some 350 kB of PNG, more than a pipe
// holds: two under a pseudo-terminal (script) show a line of their phase and share,
// redrawn in place, and wipe it at the end or before an error; the third, without a
// terminal, says nothing and draws the same picture.
TEST_F(Cli, ALongRunSaysHowFarItIsOnATerminalOnly)
{
    const Result result = voroquarn::testing::runCommand(
        "/bin/sh",
        {"-c", R"sh(slowly() { echo "'$0' --seed 5 --count 2000 --size 2000x2000 --fill --output - | (sleep 2; $1)"; }
                  sh -c "$(slowly "cat >'$1/plain.png'")" &
                  script -qec "$(slowly "cat >'$1/shown.png'")" /dev/null </dev/null >"$1/shown.txt" &
                  script -qec "$(slowly "head -c 1000 >/dev/null")" /dev/null </dev/null >"$1/failed.txt" &
                  wait)sh",
         VOROQUARN_BINARY, dir_.path()},
        {}, {{"SHELL", "/bin/sh"}});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, QString());
    const auto contents = [&](const QString& name) {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const auto endsIn = [&](const QString& name, const QString& pattern) {
        const QString text = QString::fromUtf8(contents(name));
        EXPECT_TRUE(QRegularExpression(pattern).match(text).hasMatch()) << name.toStdString() << ": " << text.toStdString();
    };
    endsIn("shown.txt", "\\rvoroquarn: (finding the diagram|filling the regions|drawing the boundaries|writing the "
                        "file), \\d+ %.*\\r +\\r$");
    endsIn("failed.txt", "\\r +\\rvoroquarn: standard output: cannot be written: Broken pipe\\r\\n$");
    EXPECT_EQ(contents("shown.png"), contents("plain.png"));
    EXPECT_FALSE(contents("plain.png").isEmpty());
}

// Scale factors, font resolution, font configuration and a runtime folder Qt dislikes
// change nothing in the file and make Qt say nothing (a warning would be fatal here).
TEST_F(Cli, TheImageIsTheSameInEveryEnvironment)
{
    const QByteArray serifBold =
        "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\"><fontconfig>"
        "<include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>"
        "<match target=\"pattern\"><edit name=\"family\" mode=\"prepend\" binding=\"strong\">"
        "<string>DejaVu Serif</string></edit></match>"
        "<match target=\"font\"><edit name=\"embolden\" mode=\"assign\"><bool>true</bool></edit></match>"
        "</fontconfig>";
    const QString fontsFile = write("fonts.conf", serifBold);
    ASSERT_TRUE(QDir(dir_.path()).mkpath("config/fontconfig"));
    write("config/fontconfig/fonts.conf", serifBold);
    ASSERT_TRUE(QDir(dir_.path()).mkpath("home"));
    write("home/.fonts.conf", serifBold);
    ASSERT_TRUE(QDir(dir_.path()).mkpath("open-folder"));  // others may look in: not private
    QFile::setPermissions(path("open-folder"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadOther | QFile::ExeOther);

    using Environment = QList<QPair<QString, QString>>;
    const auto render = [&](Environment environment) {
        environment.append(qMakePair(QStringLiteral("QT_FATAL_WARNINGS"), QStringLiteral("1")));
        const Result result = voroquarn::testing::runCommand(
            VOROQUARN_BINARY, {"--seed", "3", "--size", "200x150", "--output", path("picture.png")}, {}, environment);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, QString());
        return QImage(path("picture.png"));
    };
    const QImage plain = render({{"XDG_RUNTIME_DIR", ""}});
    ASSERT_FALSE(plain.isNull());

    const Environment cases[] = {
        {{"QT_SCALE_FACTOR", "2"}},
        {{"QT_SCALE_FACTOR", "1.5"}, {"QT_SCALE_FACTOR_ROUNDING_POLICY", "PassThrough"}},
        {{"QT_SCALE_FACTOR", "3"}, {"QT_ENABLE_HIGHDPI_SCALING", "1"}},
        {{"QT_SCREEN_SCALE_FACTORS", "2"}},
        {{"QT_FONT_DPI", "200"}},
        {{"QT_FONT_DPI", "50"}},
        {{"QT_USE_PHYSICAL_DPI", "1"}},
        {{"FONTCONFIG_FILE", fontsFile}},
        {{"XDG_CONFIG_HOME", path("config")}},
        {{"HOME", path("home")}},
        {{"XDG_RUNTIME_DIR", path("open-folder")}},
        {{"XDG_RUNTIME_DIR", fontsFile}},
    };
    for (const Environment& environment : cases) {
        const QImage picture = render(environment);
        EXPECT_TRUE(picture == plain) << environment.first().first.toStdString() << "="
                                      << environment.first().second.toStdString();
    }
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
