#include "output/OwnDescriptor.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <variant>

#include "output/ReplacedFile.h"

namespace voroquarn {

namespace {

QByteArray realFolder(const QByteArray& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) != nullptr ? QByteArray(resolved) : QByteArray();
}

}  // namespace

std::optional<int> ownDescriptor(QByteArray path)
{
    const QByteArray descriptors = realFolder("/proc/self/fd");
    const QByteArray threadDescriptors = realFolder("/proc/thread-self/fd");
    if (descriptors.isEmpty()) {
        return std::nullopt;
    }
    for (int links = 0; links <= MAX_LINKS; ++links) {
        const QByteArray number = path.mid(path.lastIndexOf('/') + 1);
        const bool digits = !number.isEmpty() && number.size() <= 9 &&
                            std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (digits) {
            const QByteArray folder = realFolder(folderOf(path));
            const int fd = number.toInt();
            if (!folder.isEmpty() && (folder == descriptors || folder == threadDescriptors) &&
                ::fcntl(fd, F_GETFD) != -1) {
                return fd;
            }
        }
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return std::nullopt;
        }
        auto next = linkTarget(path);
        if (std::holds_alternative<int>(next)) {
            return std::nullopt;
        }
        path = std::get<QByteArray>(next);
    }
    return std::nullopt;
}

}  // namespace voroquarn
