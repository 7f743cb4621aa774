#include "output/OutputTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <variant>

#include "core/Shown.h"
#include "output/HeldSignals.h"
#include "output/OwnDescriptor.h"
#include "output/ReplacedFile.h"
#include "output/SystemError.h"
#include "output/TemporaryFile.h"

namespace voroquarn {

namespace {

QString quoted(const QByteArray& path) { return QString::fromStdString(shown(path.toStdString())); }

QString cannotWrite(const QByteArray& path, int error)
{
    if (error == ENAMETOOLONG) {
        return QStringLiteral("%1: the name is too long").arg(quoted(path));
    }
    return QStringLiteral("%1: cannot be written: %2").arg(quoted(path), systemReason(error));
}

bool isSameRegularFile(const std::optional<std::string>& sitesPath, const struct stat& target)
{
    if (!sitesPath) {
        return false;
    }
    struct stat sites {};
    const bool known = *sitesPath == "-" ? ::fstat(STDIN_FILENO, &sites) == 0
                                         : ::stat(sitesPath->c_str(), &sites) == 0;
    return known && S_ISREG(sites.st_mode) && sites.st_dev == target.st_dev && sites.st_ino == target.st_ino;
}

QString isTheSiteFile(const QString& name)
{
    return QStringLiteral("%1: is the file the sites are read from; writing the picture there would destroy them")
        .arg(name);
}

}  // namespace

std::optional<QString> checkOutputTarget(const std::string& path, const std::optional<std::string>& sitesPath)
{
    const QByteArray name = QByteArray::fromStdString(path);
    const bool standardOutput = path == "-";
    const QString shownName = standardOutput ? QStringLiteral("standard output") : quoted(name);
    struct stat status {};
    bool exists = false;
    if (const std::optional<int> own = standardOutput ? std::optional(STDOUT_FILENO) : ownDescriptor(name)) {
        const int flags = ::fcntl(*own, F_GETFL);
        if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) {
            return standardOutput ? QStringLiteral("--output -: standard output is not open for writing")
                                  : QStringLiteral("%1: cannot be written: descriptor %2 is not open for writing")
                                        .arg(shownName)
                                        .arg(*own);
        }
        if (::fstat(*own, &status) == 0 && isSameRegularFile(sitesPath, status)) {
            return isTheSiteFile(shownName);
        }
        return std::nullopt;
    }
    if (::stat(name.constData(), &status) == 0) {
        exists = true;
    } else if (errno != ENOENT) {
        return cannotWrite(name, errno);
    }

    if (exists && S_ISDIR(status.st_mode)) {
        return QStringLiteral("%1: is a folder; --output needs a file name").arg(shownName);
    }
    if (exists && isSameRegularFile(sitesPath, status)) {
        return isTheSiteFile(shownName);
    }
    if (exists && !S_ISREG(status.st_mode)) {
        // Written directly; a FIFO is not opened here, since that waits for a reader.
        if (::access(name.constData(), W_OK) != 0) {
            return cannotWrite(name, errno);
        }
        return std::nullopt;
    }

    const auto target = replacedFile(name, exists ? &status : nullptr);
    if (const int* error = std::get_if<int>(&target)) {
        return cannotWrite(name, *error);
    }
    if (const int error = exists ? mayWrite(std::get<QByteArray>(target)) : 0) {
        return cannotWrite(name, error);
    }
    const QByteArray folder = folderOf(std::get<QByteArray>(target));
    struct stat folderStatus {};
    if (::stat(folder.constData(), &folderStatus) != 0) {
        if (errno == ENOENT) {
            return QStringLiteral("%1: the folder %2 does not exist").arg(shownName, quoted(folder));
        }
        return cannotWrite(name, errno);
    }
    // Only creating a file shows that the folder takes one: permission bits say nothing
    // of read-only file systems, and nothing at all to root.
    const HeldSignals held;  // in case the probe gets a name
    const auto probe = createTemporary(folder);
    if (const int* error = std::get_if<int>(&probe)) {
        return QStringLiteral("%1: cannot write in the folder %2: %3").arg(shownName, quoted(folder), systemReason(*error));
    }
    ::close(std::get<Temporary>(probe).fd);
    if (!std::get<Temporary>(probe).name.isEmpty()) {
        ::unlink(std::get<Temporary>(probe).name.constData());
    }
    return std::nullopt;
}

}  // namespace voroquarn
