#include "output/TemporaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <cerrno>

namespace voroquarn {

namespace {

QByteArray hiddenName(const QByteArray& folder)
{
    return folder + "/.voroquarn-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

}  // namespace

std::variant<Temporary, int> createTemporary(const QByteArray& folder)
{
    if (::access("/proc/self/fd", X_OK) == 0) {
        const int unnamed = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (unnamed >= 0) {
            return Temporary{unnamed, {}};
        }
        // Without O_TMPFILE in the file system (or the kernel) a name it is.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return errno;
        }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = hiddenName(folder);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return Temporary{fd, name};
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

std::variant<QByteArray, int> nameTemporary(int fd, const QByteArray& folder)
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = hiddenName(folder);
        // AT_EMPTY_PATH needs a privilege; the link in /proc does not.
        if (::linkat(fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0 ||
            (errno != EEXIST &&
             ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)) {
            return name;
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

}  // namespace voroquarn
