#include "screen/PictureFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace voroquarn {

QString pictureFolder(QString& problem)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        problem = QStringLiteral("cannot save the picture: no picture folder %1").arg(folder);
        return {};
    }
    return folder;
}

}  // namespace voroquarn
