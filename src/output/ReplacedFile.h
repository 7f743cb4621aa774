#pragma once

#include <sys/stat.h>

#include <QByteArray>
#include <variant>

namespace voroquarn {

// Which file a write replaces: where a path's links end, and whether the user may write it.

// As many links as the system itself follows before it gives up with ELOOP.
inline constexpr int MAX_LINKS = 40;

// The folder a path names a file in: "." for a bare name.
QByteArray folderOf(const QByteArray& path);

// Where the link at `path` points, as a path; or the error.
std::variant<QByteArray, int> linkTarget(const QByteArray& path);

// The file a temporary replaces: `path` with its links followed. When `path` names an
// existing file (`status`), the end of the chain must be that file: a link that only
// the system can follow is refused rather than guessed at.
std::variant<QByteArray, int> replacedFile(const QByteArray& path, const struct stat* status);

// Whether the program's user may write the existing file at `path`, as other tools that
// write a named file ask: a file of someone else's, mode 0444, is not replaced just
// because its folder is writable. 0 or the error.
int mayWrite(const QByteArray& path);

}  // namespace voroquarn
