#include "app/SiteInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Progress.h"
#include "core/Shown.h"

namespace voroquarn {

namespace {

// A million sites as --print-sites writes them take some 50 MB; anything this large is
// not a site file.
constexpr std::size_t MAX_FILE_BYTES = std::size_t{1} << 30;

// Reads `fd` into `reader` until its end, until the reader refuses it, or until it
// gave more than MAX_FILE_BYTES (`tooLarge`), telling `progress` the share of `size`
// bytes read (0: not known); 0 or the error.
int readInto(int fd, SiteFileReader& reader, bool& tooLarge, Progress* progress, std::size_t size)
{
    char block[65536];
    std::size_t total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        total += static_cast<std::size_t>(got);
        report(progress, RunPhase::Reading, size > 0 ? static_cast<double>(total) / static_cast<double>(size) : -1);
        tooLarge = total > MAX_FILE_BYTES;
        if (got == 0 || tooLarge || !reader.read({block, static_cast<std::size_t>(got)})) {
            return 0;
        }
    }
}

}  // namespace

std::variant<std::vector<Site>, std::string> loadSites(const std::string& path, Progress* progress)
{
    const bool standardInput = path == "-";
    const std::string name = standardInput ? "standard input" : shown(path);
    const auto cannotBeRead = [&](int error) { return name + ": cannot be read: " + std::strerror(error); };

    int fd = STDIN_FILENO;
    if (!standardInput) {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            switch (errno) {
            case ENAMETOOLONG:
                return name + ": the name is too long";
            case ENOENT:
                return name + ": no such file";
            default:
                return cannotBeRead(errno);
            }
        }
    }
    struct stat status {};
    SiteFileReader reader;
    int error = ::fstat(fd, &status) != 0 ? errno : 0;
    const bool folder = error == 0 && S_ISDIR(status.st_mode);
    // A regular file shows its size before it is read.
    bool tooLarge = error == 0 && S_ISREG(status.st_mode) && static_cast<std::size_t>(status.st_size) > MAX_FILE_BYTES;
    if (error == 0 && !folder && !tooLarge) {
        error = readInto(fd, reader, tooLarge, progress,
                         S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) : 0);
    }
    if (!standardInput) {
        ::close(fd);
    }
    if (folder) {
        return name + ": is a folder, not a site file";
    }
    if (error != 0) {
        return cannotBeRead(error);
    }
    if (tooLarge) {
        return name + ": larger than " + std::to_string(MAX_FILE_BYTES >> 20U) + " MiB, not a site file";
    }

    SiteFileContents contents = reader.finish();
    if (contents.error) {
        if (contents.error->line > 0) {
            return name + ":" + std::to_string(contents.error->line) + ": " + contents.error->message;
        }
        return name + ": " + contents.error->message;
    }
    return std::move(contents.sites);
}

}  // namespace voroquarn
