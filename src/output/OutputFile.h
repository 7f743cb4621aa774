#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <optional>
#include <string>

#include "output/HeldSignals.h"

namespace voroquarn {

// A file being written, as a device any writer can write into; the first error the
// system reports is kept as the error string. Names are bytes, used as given.
// - one of the program's own descriptors ("-", /dev/stdout, /dev/fd/N, also through
//   links): written through it, so that a file opened for appending is appended to;
// - a file that is not regular (a device, a FIFO): written directly;
// - else a temporary beside the file its links end at, which commit() renames over it:
//   until then the old file stays byte for byte, and nothing is left behind (unnamed
//   where O_TMPFILE allows, else SIGINT, SIGTERM and SIGHUP wait until it is gone).
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

}  // namespace voroquarn
