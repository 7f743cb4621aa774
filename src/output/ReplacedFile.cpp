#include "output/ReplacedFile.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>

namespace voroquarn {

namespace {

// The file that a chain of symbolic links starting at `path` ends at, which need not
// exist yet; or the error that stops the search.
std::variant<QByteArray, int> followLinks(QByteArray path)
{
    for (int links = 0; links <= MAX_LINKS; ++links) {
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0) {
            if (errno == ENOENT) {
                return path;  // a new name
            }
            return errno;
        }
        if (!S_ISLNK(status.st_mode)) {
            return path;
        }
        auto next = linkTarget(path);
        if (const int* error = std::get_if<int>(&next)) {
            return *error;
        }
        path = std::get<QByteArray>(next);
    }
    return ELOOP;
}

}  // namespace

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return ".";
    }
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

std::variant<QByteArray, int> linkTarget(const QByteArray& path)
{
    char link[PATH_MAX];
    const ssize_t length = ::readlink(path.constData(), link, sizeof link);
    if (length < 0) {
        return errno;
    }
    if (static_cast<std::size_t>(length) == sizeof link) {
        return ENAMETOOLONG;
    }
    const QByteArray next(link, length);
    return next.startsWith('/') ? next : folderOf(path) + '/' + next;
}

std::variant<QByteArray, int> replacedFile(const QByteArray& path, const struct stat* status)
{
    auto target = followLinks(path);
    if (status != nullptr && std::holds_alternative<QByteArray>(target)) {
        struct stat found {};
        if (::stat(std::get<QByteArray>(target).constData(), &found) != 0 || found.st_dev != status->st_dev ||
            found.st_ino != status->st_ino) {
            return ENOENT;
        }
    }
    return target;
}

int mayWrite(const QByteArray& path)
{
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

}  // namespace voroquarn
