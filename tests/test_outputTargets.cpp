// Where --output writes, and what is left when it cannot: a full disk, special files,
// standard output, links, the site file itself, too little memory, and sites far
// outside the picture.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <dirent.h>

#include <csignal>
#include <cstring>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <functional>

#include "support/CommandRun.h"

namespace {

using voroquarn::testing::CommandResult;

// A picture whose PNG (about 22 KB) does not fit in what the small disk has left.
const QStringList LARGE_PICTURE = {"--seed", "3", "--size", "4096x4096"};

struct Command {
    QString program;
    QStringList arguments;
};

Command plain(const QStringList& arguments) { return {VOROQUARN_BINARY, arguments}; }

// The program under a limit of its virtual memory, in KiB.
Command limited(int kib, const QStringList& arguments)
{
    return {"/bin/sh",
            QStringList{"-c", QStringLiteral("ulimit -v %1 && exec \"$0\" \"$@\"").arg(kib), VOROQUARN_BINARY} +
                arguments};
}

// The program with its standard output appended to `log`, and descriptor 3 too.
Command appendingTo(const QString& log, const QStringList& arguments)
{
    const QString command = QStringLiteral("exec \"$0\" \"$@\" >>'%1' 3>>'%1'").arg(log);
    return {"/bin/sh", QStringList{"-c", command, VOROQUARN_BINARY} + arguments};
}

// The program under a limit of the size of the files it writes, in KiB; with `noProc`,
// in a mount namespace without /proc, as in a bare chroot, where its temporary files
// have names from the start.
Command sizeLimited(int kib, const QStringList& arguments, bool noProc = false)
{
    const QString limit = QStringLiteral("ulimit -f %1 && exec \"$0\" \"$@\"").arg(kib);
    if (noProc) {
        return {"unshare", QStringList{"--mount", "/bin/sh", "-c", "mount -t tmpfs none /proc && " + limit,
                                       VOROQUARN_BINARY} +
                               arguments};
    }
    return {"/bin/sh", QStringList{"-c", limit, VOROQUARN_BINARY} + arguments};
}

CommandResult run(const Command& command)
{
    return voroquarn::testing::runCommand(command.program, command.arguments);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

struct stat statusOf(const QString& path)
{
    struct stat status {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status;
}

// Whether the process `pid` has a file of `folder` open: a temporary it writes.
bool writesInto(qint64 pid, const QString& folder)
{
    const QByteArray descriptors = "/proc/" + QByteArray::number(pid) + "/fd";
    const QByteArray prefix = QFile::encodeName(folder) + '/';
    DIR* listing = ::opendir(descriptors.constData());
    bool found = false;
    while (const dirent* entry = listing != nullptr ? ::readdir(listing) : nullptr) {
        char target[4096];
        const ssize_t length = ::readlink((descriptors + '/' + entry->d_name).constData(), target, sizeof target);
        found = found || (length > 0 && QByteArray(target, length).startsWith(prefix));
    }
    if (listing != nullptr) {
        ::closedir(listing);
    }
    return found;
}

class OutputTargets : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const QByteArray& point : mounts_) {
            ::umount2(point.constData(), MNT_DETACH);
        }
    }

    QString path(const QString& name) const { return dir_.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path(name);
    }

    // A 64 KiB file system at `name`, holding a picture of 20,000 bytes and a filler
    // that leaves `free` bytes; false when this system lets the test mount nothing.
    bool smallDisk(const QString& name, qint64 free)
    {
        const QByteArray point = QFile::encodeName(path(name));
        if (!QDir().mkpath(path(name)) || ::mount("tmpfs", point.constData(), "tmpfs", 0, "size=64k") != 0) {
            return false;
        }
        mounts_.push_back(point);
        write(name + "/old.png", QByteArray(20000, 'p'));
        QFile filler(path(name + "/filler"));
        EXPECT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush() &&
               QStorageInfo(path(name)).bytesAvailable() > free) {
        }
        return true;
    }

    // The smallest limit of virtual memory, in steps of 5 MB, under which the program
    // draws a one-pixel picture: what it needs besides the picture.
    int smallestLimitKiB() const
    {
        for (int kib = 40000; kib <= 400000; kib += 5000) {
            if (run(limited(kib, {"--size", "1x1", "--output", path("tiny.png")})).status == 0) {
                return kib;
            }
        }
        return -1;
    }

    QTemporaryDir dir_;
    std::vector<QByteArray> mounts_;
};

TEST_F(OutputTargets, EachTargetGetsThePictureOrOneLineAndKeepsWhatWasThere)
{
    ASSERT_EQ(run(plain({"--seed", "3", "--output", path("plain.png")})).status, 0);
    const QImage picture(path("plain.png"));
    ASSERT_EQ(picture.size(), QSize(618, 508));
    // Without an extension, so that as an output name it asks for PNG.
    const QString sites = write("sites", "100 100 5\n300 200 9\n");
    QProcess fifoReader;  // the other end of the FIFO

    struct Case {
        const char* name;
        bool runs;                       // false: not possible here
        std::function<Command()> prepare;
        int status;
        QString error;                   // within the one line; empty: nothing on standard error
        std::function<void(const CommandResult&)> check;
    };
    const auto keeps = [&](const QString& file, const QByteArray& bytes) {
        return [=](const CommandResult&) { EXPECT_EQ(contents(file), bytes) << file.toStdString(); };
    };
    const auto givesThePicture = [&](const CommandResult& result) {
        EXPECT_EQ(QImage::fromData(result.outBytes, "PNG"), picture);
    };
    const auto onDisk = [&](const QString& name, qint64 free) {
        return [=, this] {
            EXPECT_TRUE(smallDisk(name, free));
            return plain(LARGE_PICTURE + QStringList{"--output", path(name + "/old.png")});
        };
    };
    const auto diskKeepsItsFiles = [&](const QString& name) {
        return [=, this](const CommandResult&) {
            EXPECT_EQ(contents(path(name + "/old.png")), QByteArray(20000, 'p'));
            EXPECT_EQ(QDir(path(name)).entryList(QDir::Files | QDir::Hidden), QStringList({"filler", "old.png"}));
        };
    };
    const bool canMount = [&] {
        const QByteArray point = QFile::encodeName(path("probe"));
        const bool mounted = QDir().mkpath(path("probe")) &&
                             ::mount("tmpfs", point.constData(), "tmpfs", 0, "size=4k") == 0;
        if (mounted) {
            ::umount2(point.constData(), MNT_DETACH);
        }
        return mounted;
    }();
    // A mount namespace of the test's own, without the system's /proc. In a chroot, or a
    // container, unshare may not make the root's mounts private: then no case can hide /proc.
    const bool canHideProc =
        canMount && run({"unshare", {"--mount", "/bin/sh", "-c", "mount -t tmpfs none /proc"}}).status == 0;
    // A null device of the test's own, so that a fault replaces no file the system needs.
    const bool canMakeDevices =
        ::mknod(QFile::encodeName(path("null")).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
#ifdef VOROQUARN_SANITIZED
    const bool sanitized = true;  // AddressSanitizer reserves more than any memory limit, and reads /proc
#else
    const bool sanitized = false;
#endif
    const bool limitsMemory = !sanitized;
    const bool root = canMount && canMakeDevices;

    const Case cases[] = {
        {"a disk that fills part-way", canMount, onDisk("part", 8192), 2,
         path("part/old.png") + ": cannot be written: No space left on device", diskKeepsItsFiles("part")},
        {"a full disk", canMount, onDisk("full", 0), 2,
         path("full/old.png") + ": cannot be written: No space left on device", diskKeepsItsFiles("full")},
        {"an SVG on a full disk", canMount,
         [&] {
             EXPECT_TRUE(smallDisk("svg", 0));
             EXPECT_TRUE(QFile::rename(path("svg/old.png"), path("svg/old.svg")));
             return plain({"--seed", "3", "--output", path("svg/old.svg")});
         },
         2, path("svg/old.svg") + ": cannot be written: No space left on device",
         [&](const CommandResult&) {
             EXPECT_EQ(contents(path("svg/old.svg")), QByteArray(20000, 'p'));
             EXPECT_EQ(QDir(path("svg")).entryList(QDir::Files | QDir::Hidden), QStringList({"filler", "old.svg"}));
         }},
        {"a character device", canMakeDevices,
         [&] { return plain({"--seed", "3", "--print-sites", "--output", path("null")}); }, 0, {},
         [&](const CommandResult& result) {
             EXPECT_TRUE(S_ISCHR(statusOf(path("null")).st_mode));
             EXPECT_EQ(result.out.count('\n'), 7);  // the sites only
         }},
        {"a FIFO", true,
         [&] {
             EXPECT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
             fifoReader.start("cat", {path("fifo")});
             return plain({"--seed", "3", "--output", path("fifo")});
         },
         0, {},
         [&](const CommandResult&) {
             EXPECT_TRUE(S_ISFIFO(statusOf(path("fifo")).st_mode));
             if (!fifoReader.waitForFinished(5000)) {
                 fifoReader.kill();  // it never saw a writer
             }
             EXPECT_EQ(QImage::fromData(fifoReader.readAllStandardOutput(), "PNG"), picture);
         }},
        {"a FIFO named as a PDF", true,
         [&] {
             EXPECT_EQ(::mkfifo(QFile::encodeName(path("fifo.pdf")).constData(), 0600), 0);
             fifoReader.start("cat", {path("fifo.pdf")});
             return plain({"--seed", "3", "--output", path("fifo.pdf")});
         },
         0, {},
         [&](const CommandResult&) {
             EXPECT_TRUE(S_ISFIFO(statusOf(path("fifo.pdf")).st_mode));
             if (!fifoReader.waitForFinished(5000)) {
                 fifoReader.kill();
             }
             const QByteArray pdf = fifoReader.readAllStandardOutput();
             EXPECT_TRUE(pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF")) << pdf.size();
         }},
        {"standard output", true, [] { return plain({"--seed", "3", "--output", "-"}); }, 0, {}, givesThePicture},
        {"/dev/stdout, a pipe", true, [] { return plain({"--seed", "3", "--output", "/dev/stdout"}); }, 0, {},
         givesThePicture},
        {"a link to a picture", true,
         [&] {
             write("target.png", "old");
             QFile::link(path("target.png"), path("link.png"));
             return plain({"--seed", "3", "--output", path("link.png")});
         },
         0, {},
         [&](const CommandResult&) {
             EXPECT_TRUE(S_ISLNK(statusOf(path("link.png")).st_mode));
             EXPECT_EQ(QImage(path("target.png")), picture);
         }},
        // A name of one of the program's own descriptors is written through it: a log
        // opened for appending is appended to, never replaced.
        {"/dev/stdout and /dev/fd/3, appending to a log", true,
         [&] {
             write("app.log", "log\n");
             return appendingTo(path("app.log"), {"--seed", "3", "--output", "/dev/stdout"});
         },
         0, {},
         [&](const CommandResult&) {
             const QByteArray log = contents(path("app.log"));
             EXPECT_TRUE(log.startsWith("log\n")) << log.left(20).toStdString();
             EXPECT_EQ(QImage::fromData(log.mid(4), "PNG"), picture);
             EXPECT_EQ(run(appendingTo(path("app.log"), {"--seed", "3", "--output", "/dev/fd/3"})).status, 0);
             EXPECT_EQ(contents(path("app.log")), log + log.mid(4));
         }},
        {"a limit of the file size", true,
         [&] {
             write("limited.png", "precious");
             return sizeLimited(8, {"--seed", "3", "--fill", "--size", "2000x2000", "--output", path("limited.png")});
         },
         2, path("limited.png") + ": cannot be written: File too large", keeps(path("limited.png"), "precious")},
        {"a limit of the file size without /proc", canHideProc && !sanitized,
         [&] {
             write("chroot.png", "precious");
             return sizeLimited(8, {"--seed", "3", "--fill", "--size", "2000x2000", "--output", path("chroot.png")},
                                true);
         },
         2, path("chroot.png") + ": cannot be written: File too large", keeps(path("chroot.png"), "precious")},
        // As other tools that write a named file: refused, not replaced because its
        // folder is writable. Under root, by nobody.
        {"a file the user may not write", true,
         [&] {
             EXPECT_TRUE(QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                QFile::ExeOther | QFile::ExeGroup));
             EXPECT_TRUE(QDir().mkpath(path("shared")));
             EXPECT_EQ(::chmod(QFile::encodeName(path("shared")).constData(), 01777), 0);
             write("shared/kept.png", "precious");
             EXPECT_EQ(::chmod(QFile::encodeName(path("shared/kept.png")).constData(), 0444), 0);
             const QStringList arguments{"--seed", "3", "--output", path("shared/kept.png")};
             if (::geteuid() != 0) {
                 return plain(arguments);
             }
             const QString program = path("shared/voroquarn");
             EXPECT_TRUE(QFile::copy(VOROQUARN_BINARY, program));
             return Command{"runuser", QStringList{"-u", "nobody", "--", program} + arguments};
         },
         2, path("shared/kept.png") + ": cannot be written: Permission denied",
         [&](const CommandResult&) {
             EXPECT_EQ(contents(path("shared/kept.png")), "precious");
             EXPECT_EQ(statusOf(path("shared/kept.png")).st_uid, ::geteuid());
         }},
        {"the site file", true, [&] { return plain({"--sites", sites, "--output", sites}); }, 2,
         "is the file the sites are read from", keeps(sites, "100 100 5\n300 200 9\n")},
        {"a link to the site file", true,
         [&] {
             QFile::link(sites, path("sites-link.png"));
             return plain({"--sites", sites, "--output", path("sites-link.png")});
         },
         2, "is the file the sites are read from", keeps(sites, "100 100 5\n300 200 9\n")},
        {"sites far outside", true,
         [&] {
             write("far.txt", "9e9 100 5\n1e308 200 7\n-1e308 300 9\n300 9e9 11\n300 200 13\n100 -1e308 2\n");
             return plain({"--sites", path("far.txt"), "--output", path("far.png")});
         },
         0, {},
         [&](const CommandResult&) {
             const QImage far = QImage(path("far.png")).convertToFormat(QImage::Format_RGB32);
             ASSERT_EQ(far.size(), QSize(618, 508));
             int marked = 0;  // the one site inside is marked
             for (int y = 195; y <= 205; ++y) {
                 for (int x = 295; x <= 305; ++x) {
                     marked += far.pixel(x, y) == qRgb(255, 255, 255) ? 1 : 0;
                 }
             }
             EXPECT_GT(marked, 8);
         }},
        {"too little memory", limitsMemory,
         [&] {
             write("kept.png", "precious");
             return limited(smallestLimitKiB() + 5000, {"--size", "16384x16384", "--output", path("kept.png")});
         },
         2, "voroquarn: not enough memory for a 16384x16384 picture", keeps(path("kept.png"), "precious")},
    };

    QStringList skipped;
    for (const Case& c : cases) {
        if (!c.runs) {
            skipped << c.name;
            continue;
        }
        SCOPED_TRACE(c.name);
        const CommandResult result = run(c.prepare());
        EXPECT_EQ(result.status, c.status);
        if (c.error.isEmpty()) {
            EXPECT_EQ(result.err, QString());
        } else {
            EXPECT_TRUE(result.err.startsWith("voroquarn: ")) << result.err.toStdString();
            EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
            EXPECT_TRUE(result.err.contains(c.error)) << result.err.toStdString();
        }
        c.check(result);
    }
    // No temporary file is left anywhere.
    for (const QString& folder : {dir_.path(), path("part"), path("full"), path("svg"), path("shared")}) {
        EXPECT_TRUE(QDir(folder).entryList({".voroquarn-*"}, QDir::Files | QDir::Hidden).isEmpty());
    }
    // Without a memory limit under the sanitizers the test still counts; without root,
    // or without /proc hidden, it does not.
    if (!root) {
        GTEST_SKIP() << "not run: " << skipped.join(", ").toStdString()
                     << " (mounting a file system and making a device need root)";
    }
    if (!canHideProc && !sanitized) {
        GTEST_SKIP() << "not run: a limit of the file size without /proc (unshare cannot make a mount "
                        "namespace here, as in a chroot or a container)";
    }
}

// SIGINT, SIGTERM and SIGHUP while the picture is written: the program ends as the
// signal ends it, the old file keeps every byte, and no temporary file is left.
TEST_F(OutputTargets, ASignalDuringTheWriteLeavesTheOldFileAndNoTemporary)
{
    // A picture whose file takes a good part of a second to write.
    const QStringList arguments{"--seed", "3", "--fill", "--size", "16384x16384", "--output", path("old.png")};
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        bool caught = false;
        for (int attempt = 0; attempt < 5 && !caught; ++attempt) {
            write("old.png", "precious");
            QProcess program;
            program.start(VOROQUARN_BINARY, arguments);
            ASSERT_TRUE(program.waitForStarted());
            while (!(caught = writesInto(program.processId(), dir_.path())) && !program.waitForFinished(0)) {
                ::usleep(200);
            }
            if (caught) {
                ::kill(static_cast<pid_t>(program.processId()), signal);
            }
            ASSERT_TRUE(program.state() == QProcess::NotRunning || program.waitForFinished(60000));
            EXPECT_TRUE(!caught || program.exitStatus() == QProcess::CrashExit);
        }
        EXPECT_TRUE(caught) << "the program was never caught writing";
        EXPECT_EQ(contents(path("old.png")), "precious");
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString(), "old.png");
    }
}

}  // namespace
