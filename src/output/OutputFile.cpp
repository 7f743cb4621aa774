#include "output/OutputFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
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
        char link[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), link, sizeof link);
        if (length < 0) {
            return errno;
        }
        if (static_cast<std::size_t>(length) == sizeof link) {
            return ENAMETOOLONG;
        }
        const QByteArray next(link, length);
        path = next.startsWith('/') ? next : folderOf(path) + '/' + next;
    }
    return ELOOP;
}

// The file a temporary replaces: `path` with its links followed. When `path` names an
// existing file (`status`), the end of the chain must be that file: a link that only
// the system can follow, such as /proc/self/fd/1 to a deleted file, is refused rather
// than guessed at.
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

// A new, empty file in `folder` under a name of its own, open for writing and with the
// permissions any new file gets (0666 less the umask); or the error.
struct Temporary {
    int fd;
    QByteArray name;
};

std::variant<Temporary, int> createTemporary(const QByteArray& folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name =
            folder + "/.voroquarn-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
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

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {}

OutputFile::~OutputFile() { discard(); }

QString OutputFile::displayName() const
{
    return kind_ == Kind::StandardOutput ? QStringLiteral("standard output") : QString::fromStdString(shown(path_));
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
    if (path_ == "-") {
        kind_ = Kind::StandardOutput;
        fd_ = STDOUT_FILENO;
        return start();
    }

    const QByteArray name = QByteArray::fromStdString(path_);
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
    const auto temporary = createTemporary(folderOf(target_));
    if (const int* error = std::get_if<int>(&temporary)) {
        return fail(*error);
    }
    fd_ = std::get<Temporary>(temporary).fd;
    temporary_ = std::get<Temporary>(temporary).name;
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
    if (!isOpen() || failed_ || !flushBuffer()) {
        discard();
        return false;
    }
    if (kind_ != Kind::StandardOutput) {
        if (kind_ == Kind::Replaced && ::fsync(fd_) != 0) {
            fail(errno);
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
    fd_ = -1;
    QIODevice::close();
    return true;
}

void OutputFile::close() { discard(); }

void OutputFile::discard()
{
    if (fd_ >= 0 && kind_ != Kind::StandardOutput) {
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
    const bool standardOutput = path == "-";
    const QByteArray name = QByteArray::fromStdString(path);
    struct stat status {};
    bool exists = false;
    if (standardOutput) {
        const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
        if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) {
            return QStringLiteral("--output -: standard output is not open for writing");
        }
        exists = ::fstat(STDOUT_FILENO, &status) == 0;
    } else if (::stat(name.constData(), &status) == 0) {
        exists = true;
    } else if (errno != ENOENT) {
        return cannotWrite(name, errno);
    }

    if (exists && S_ISDIR(status.st_mode)) {
        return QStringLiteral("%1: is a folder; --output needs a file name").arg(quoted(name));
    }
    if (exists && isSameRegularFile(sitesPath, status)) {
        return QStringLiteral("%1: is the file the sites are read from; writing the picture there would destroy them")
            .arg(standardOutput ? QStringLiteral("standard output") : quoted(name));
    }
    if (standardOutput) {
        return std::nullopt;
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
    const QByteArray folder = folderOf(std::get<QByteArray>(target));
    struct stat folderStatus {};
    if (::stat(folder.constData(), &folderStatus) != 0) {
        if (errno == ENOENT) {
            return QStringLiteral("%1: the folder %2 does not exist").arg(quoted(name), quoted(folder));
        }
        return cannotWrite(name, errno);
    }
    // Only creating a file shows that the folder takes one: permission bits say nothing
    // of read-only file systems, and nothing at all to root.
    const auto probe = createTemporary(folder);
    if (const int* error = std::get_if<int>(&probe)) {
        return QStringLiteral("%1: cannot write in the folder %2: %3").arg(quoted(name), quoted(folder), reason(*error));
    }
    ::close(std::get<Temporary>(probe).fd);
    ::unlink(std::get<Temporary>(probe).name.constData());
    return std::nullopt;
}

}  // namespace voroquarn
