#pragma once

#include <QByteArray>
#include <variant>

namespace voroquarn {

// A new, empty file in `folder`, open for writing and with the permissions any new file
// gets (0666 less the umask): without a name where the file system can (`name` empty)
// and /proc is there to give it one later, else under a hidden name of its own; or the
// error.
struct Temporary {
    int fd;
    QByteArray name;
};
std::variant<Temporary, int> createTemporary(const QByteArray& folder);

// Gives the unnamed file `fd` a hidden name in `folder`; the name, or the error.
std::variant<QByteArray, int> nameTemporary(int fd, const QByteArray& folder);

}  // namespace voroquarn
