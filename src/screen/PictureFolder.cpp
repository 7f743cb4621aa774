#include "screen/PictureFolder.h"

#include <sys/stat.h>

#include <QDir>
#include <QStandardPaths>

#include "core/Shown.h"

namespace voroquarn {

QString pictureFolder(QString& problem)
{
    // Without a home folder of the user's own there is no picture folder: Qt would take
    // the root of the file system for home.
    const QByteArray home = qgetenv("HOME");
    struct stat status {};
    if (home.isEmpty()) {
        problem = QStringLiteral("cannot save the picture: HOME is not set, so there is no picture folder");
        return {};
    }
    if (!home.startsWith('/') || ::stat(home.constData(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        problem = QStringLiteral("cannot save the picture: HOME '%1' is not a folder, so there is no picture folder")
                      .arg(QString::fromStdString(shown(home.toStdString())));
        return {};
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        problem = QStringLiteral("cannot save the picture: no picture folder %1").arg(folder);
        return {};
    }
    return folder;
}

}  // namespace voroquarn
