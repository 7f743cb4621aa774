#pragma once

#include <QFile>
#include <QString>
#include <cerrno>
#include <sys/stat.h>

namespace voroquarn {

// Whether the system refuses to look `path` up because it, or one of its parts, is
// longer than a name may be.
inline bool isNameTooLong(const QString& path)
{
    struct stat status {};
    return stat(QFile::encodeName(path).constData(), &status) != 0 && errno == ENAMETOOLONG;
}

}  // namespace voroquarn
