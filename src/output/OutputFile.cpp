#include "output/OutputFile.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <variant>

#include "core/Shown.h"

namespace voroquarn {

namespace {

// Writers hand over small pieces; they reach the system in blocks of this size.
constexpr qsizetype BUFFER_BYTES = 64 * 1024;

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int MAX_LINKS = 40;

QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString quoted(const QByteArray& path) { return QString::fromStdString(shown(path.toStdString())); }

QString cannotWrite(const QByteArray& path, int error)
{
    if (error == ENAMETOOLONG) {
        return QStringLiteral("%1: the name is too long").arg(quoted(path));
    }
    return QStringLiteral("%1: cannot be written: %2").arg(quoted(path), reason(error));
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        return ".";
    }
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// Where the link at `path` points, as a path.
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

QByteArray realFolder(const QByteArray& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) != nullptr ? QByteArray(resolved) : QByteArray();
}

// The program's own descriptor that `path` names, directly or through links: an entry
// of the folder /proc/self/fd (which /dev/fd, /dev/stdout and the like lead to) that is
// open. Nothing for any other name, or without /proc.
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

// The file a temporary replaces: `path` with its links followed. When `path` names an
// existing file (`status`), the end of the chain must be that file: a link that only
// the system can follow is refused rather than guessed at.
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

QByteArray hiddenName(const QByteArray& folder)
{
    return folder + "/.voroquarn-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

// A new, empty file in `folder`, open for writing and with the permissions any new file
// gets (0666 less the umask): without a name where the file system can (`name` empty)
// and /proc is there to give it one later, else under a hidden name of its own; or the
// error.
struct Temporary {
    int fd;
    QByteArray name;
};

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

// Gives the unnamed file `fd` a hidden name in `folder`; the name, or the error.
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

// Writes all of it, going on after interruptions and partial writes; 0 or the error.
int writeAll(int fd, const char* data, qint64 length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(length));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (written == 0) {
            return EIO;
        }
        data += written;
        length -= written;
    }
    return 0;
}

// Makes a rename in `folder` durable where the file system can; a failure here cannot
// undo the rename, so it is not reported.
void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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

// Whether the program's user may write the existing file at `path`, as other tools that
// write a named file ask: a file of someone else's, mode 0444, is not replaced just
// because its folder is writable. 0 or the error.
int mayWrite(const QByteArray& path)
{
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {}

OutputFile::~OutputFile() { discard(); }

QString OutputFile::displayName() const
{
    return path_ == "-" ? QStringLiteral("standard output") : QString::fromStdString(shown(path_));
}

QString OutputFile::cannotBeWritten(const QString& reason) const
{
    return QStringLiteral("%1: cannot be written: %2").arg(displayName(), reason.isEmpty() ? errorString() : reason);
}

bool OutputFile::open(OpenMode mode)
{
    if (isOpen() || (mode & ReadOnly) != 0 || (mode & WriteOnly) == 0) {
        setErrorString(QStringLiteral("can only be opened once, for writing"));
        return false;
    }
    failed_ = false;
    const QByteArray name = QByteArray::fromStdString(path_);
    const std::optional<int> own = path_ == "-" ? std::optional(STDOUT_FILENO) : ownDescriptor(name);
    if (own) {
        kind_ = Kind::Descriptor;
        fd_ = ::fcntl(*own, F_DUPFD_CLOEXEC, 0);
        return fd_ >= 0 ? start() : fail(errno);
    }

    struct stat status {};
    const bool exists = ::stat(name.constData(), &status) == 0;
    if (!exists && errno != ENOENT) {
        return fail(errno);
    }
    if (exists && S_ISDIR(status.st_mode)) {
        return fail(EISDIR);
    }
    if (exists && !S_ISREG(status.st_mode)) {
        kind_ = Kind::Direct;
        fd_ = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) {
            return fail(errno);
        }
        return start();
    }

    kind_ = Kind::Replaced;
    const auto target = replacedFile(name, exists ? &status : nullptr);
    if (const int* error = std::get_if<int>(&target)) {
        return fail(*error);
    }
    target_ = std::get<QByteArray>(target);
    if (const int error = exists ? mayWrite(target_) : 0) {
        return fail(error);
    }
    held_.emplace();  // in case the temporary gets a name
    const auto temporary = createTemporary(folderOf(target_));
    if (const int* error = std::get_if<int>(&temporary)) {
        held_.reset();
        return fail(*error);
    }
    fd_ = std::get<Temporary>(temporary).fd;
    temporary_ = std::get<Temporary>(temporary).name;
    if (temporary_.isEmpty()) {
        held_.reset();  // nothing to leave behind
    }
    if (exists) {
        // The new file takes the old one's permissions and, where allowed, its owner.
        ::fchmod(fd_, status.st_mode & 07777);
        if (status.st_uid != ::geteuid() || status.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd_, status.st_uid, status.st_gid);
        }
    }
    return start();
}

bool OutputFile::start()
{
    buffer_.reserve(BUFFER_BYTES);
    return QIODevice::open(WriteOnly | Unbuffered);
}

qint64 OutputFile::writeData(const char* data, qint64 length)
{
    if (failed_ || fd_ < 0) {
        return -1;
    }
    if (held_ && held_->arrived()) {
        fail(EINTR);  // the signal takes effect once the temporary is gone
        return -1;
    }
    if (buffer_.size() + length > BUFFER_BYTES && !flushBuffer()) {
        return -1;
    }
    if (length >= BUFFER_BYTES) {
        if (const int error = writeAll(fd_, data, length)) {
            fail(error);
            return -1;
        }
        return length;
    }
    buffer_.append(data, static_cast<qsizetype>(length));
    return length;
}

qint64 OutputFile::readData(char* /*data*/, qint64 /*maxLength*/) { return -1; }

bool OutputFile::flushBuffer()
{
    const int error = writeAll(fd_, buffer_.constData(), buffer_.size());
    buffer_.resize(0);  // keeps the capacity
    return error == 0 || fail(error);
}

bool OutputFile::commit()
{
    if (!isOpen() || failed_ || !flushBuffer() || (kind_ == Kind::Replaced && !putInPlace())) {
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        fail(errno);
        discard();
        return false;
    }
    if (kind_ == Kind::Replaced) {
        if (::rename(temporary_.constData(), target_.constData()) != 0) {
            fail(errno);
            discard();
            return false;
        }
        temporary_.clear();
        syncFolder(folderOf(target_));
    }
    QIODevice::close();
    held_.reset();  // a signal that came meanwhile takes effect now
    return true;
}

// Syncs the new file and gives it a name beside its target, with the signals held until
// the rename puts it in place.
bool OutputFile::putInPlace()
{
    if (::fsync(fd_) != 0) {
        return fail(errno);
    }
    if (!temporary_.isEmpty()) {
        return true;
    }
    held_.emplace();
    auto name = nameTemporary(fd_, folderOf(target_));
    if (const int* error = std::get_if<int>(&name)) {
        return fail(*error);
    }
    temporary_ = std::get<QByteArray>(name);
    return true;
}

void OutputFile::close() { discard(); }

void OutputFile::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        temporary_.clear();
    }
    buffer_.clear();
    if (isOpen()) {
        QIODevice::close();
    }
    held_.reset();
}

bool OutputFile::fail(int error)
{
    if (!failed_) {
        failed_ = true;
        setErrorString(reason(error));
    }
    return false;
}

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
        return QStringLiteral("%1: cannot write in the folder %2: %3").arg(shownName, quoted(folder), reason(*error));
    }
    ::close(std::get<Temporary>(probe).fd);
    if (!std::get<Temporary>(probe).name.isEmpty()) {
        ::unlink(std::get<Temporary>(probe).name.constData());
    }
    return std::nullopt;
}

}  // namespace voroquarn
