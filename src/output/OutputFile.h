#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <optional>
#include <string>

#include "output/HeldSignals.h"

namespace voroquarn {

// A file being written, as a device that any writer can write into. Every write, the
// flush, fsync and close are checked, and the first error the system reports is kept as
// the device's error string. Names are bytes, used as given.
//
// Where the bytes go depends on the target:
// - one of the program's own open descriptors: "-" (standard output), or a name of one
//   such as /dev/stdout, /dev/fd/N or /proc/self/fd/N, also through links: written
//   through that descriptor, at its offset and with its flags, so that a file opened for
//   appending is appended to and never replaced;
// - an existing file that is not a regular file (a device such as /dev/null, a FIFO):
//   written directly, without a temporary file;
// - a regular file or a new name: a temporary file in the target's folder, which
//   commit() syncs and renames into place. Symbolic links are followed, so that a link
//   stays a link and the file it points to is replaced. Until commit() succeeds an
//   existing file stays as it was, byte for byte, and nothing is left behind: the
//   temporary has no name until commit() where the file system allows (O_TMPFILE), so
//   that not even SIGKILL leaves one; elsewhere it has a hidden name, and SIGINT, SIGTERM
//   and SIGHUP are held while it exists: the write stops, the temporary goes, and the
//   signal takes effect.
class OutputFile final : public QIODevice {
public:
    explicit OutputFile(std::string path);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens for writing only; false with the error string set when the target cannot
    // be opened.
    bool open(OpenMode mode) override;
    bool isSequential() const override { return true; }
    // Without commit(), closing throws away what was written.
    void close() override;

    // Writes out what is buffered, syncs a new file to disk and puts it in place.
    // False on any failure, with the error string set.
    bool commit();

    // The target as messages name it: its path, or "standard output".
    QString displayName() const;
    // The one line that says the file could not be written and why: the reason given,
    // or else the first error the device met.
    QString cannotBeWritten(const QString& reason = {}) const;

protected:
    qint64 writeData(const char* data, qint64 length) override;
    qint64 readData(char* data, qint64 maxLength) override;

private:
    enum class Kind { Descriptor, Direct, Replaced };

    bool start();
    bool fail(int error);
    bool flushBuffer();
    bool putInPlace();
    void discard();

    std::string path_;
    Kind kind_ = Kind::Replaced;
    int fd_ = -1;
    QByteArray target_;     // the file a temporary replaces, links followed
    QByteArray temporary_;  // the temporary file's name, while it has one
    QByteArray buffer_;
    std::optional<HeldSignals> held_;  // while a temporary has a name
    bool failed_ = false;
};

// Whether `path` ("-": standard output) can take the output, checked before anything is
// drawn: a folder, a missing or unwritable folder, a file the user may not write, a
// descriptor not open for writing, and the file the sites come from (`sitesPath`, "-":
// standard input; compared by device and inode, so that links and other names of it are
// caught) are refused. Returns what is wrong, or nothing; leaves no file behind.
std::optional<QString> checkOutputTarget(const std::string& path, const std::optional<std::string>& sitesPath);

}  // namespace voroquarn
