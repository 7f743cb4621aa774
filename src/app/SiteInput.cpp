#include "app/SiteInput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Shown.h"

namespace voroquarn {

namespace {

// A site file holds at most 11 sites; anything this large is not one.
constexpr std::size_t MAX_FILE_BYTES = std::size_t{1} << 30;

// Reads `fd` to its end, or to one byte more than MAX_FILE_BYTES; 0 or the error.
int readToEnd(int fd, std::string& text)
{
    char block[65536];
    while (text.size() <= MAX_FILE_BYTES) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        text.append(block, static_cast<std::size_t>(got));
    }
    return 0;
}

}  // namespace

std::variant<std::vector<Site>, std::string> loadSites(const std::string& path)
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
    std::string text;
    int error = ::fstat(fd, &status) != 0 ? errno : 0;
    const bool folder = error == 0 && S_ISDIR(status.st_mode);
    if (error == 0 && !folder) {
        error = readToEnd(fd, text);
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
    if (text.size() > MAX_FILE_BYTES) {
        return name + ": larger than " + std::to_string(MAX_FILE_BYTES >> 20U) + " MiB, not a site file";
    }

    SiteFileContents contents = parseSiteFile(text);
    if (contents.error) {
        if (contents.error->line > 0) {
            return name + ":" + std::to_string(contents.error->line) + ": " + contents.error->message;
        }
        return name + ": " + contents.error->message;
    }
    return std::move(contents.sites);
}

}  // namespace voroquarn
