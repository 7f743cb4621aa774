#include "output/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <variant>

#include "core/Shown.h"
#include "output/OwnDescriptor.h"
#include "output/ReplacedFile.h"
#include "output/SystemError.h"
#include "output/TemporaryFile.h"

namespace voroquarn {

namespace {

// Writers hand over small pieces; they reach the system in blocks of this size.
constexpr qsizetype BUFFER_BYTES = 64 * 1024;

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
        setErrorString(systemReason(error));
    }
    return false;
}

}  // namespace voroquarn
