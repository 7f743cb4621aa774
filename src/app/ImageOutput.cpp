#include "app/ImageOutput.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>

#include "app/FileNames.h"
#include "app/Shown.h"

namespace voroquarn {

std::optional<QString> checkOutputTarget(const QString& path)
{
    if (isNameTooLong(path)) {
        return QStringLiteral("%1: the name is too long").arg(shown(path));
    }
    const QFileInfo target(path);
    if (target.isDir()) {
        return QStringLiteral("%1: is a folder; --output needs a file name").arg(shown(path));
    }
    const QDir folder = target.absoluteDir();
    if (!folder.exists()) {
        return QStringLiteral("%1: the folder %2 does not exist").arg(shown(path), shown(folder.path()));
    }
    // Only creating a file shows that the folder takes one: permission bits say nothing
    // of read-only file systems, and nothing at all to root.
    QTemporaryFile probe(folder.filePath(QStringLiteral(".voroquarn-XXXXXX")));
    if (!probe.open()) {
        return QStringLiteral("%1: cannot write in the folder %2: %3")
            .arg(shown(path), shown(folder.path()), probe.errorString());
    }
    return std::nullopt;
}

std::optional<QString> writePng(const QImage& image, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("%1: cannot be written: %2").arg(shown(path), file.errorString());
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        file.cancelWriting();
        return QStringLiteral("%1: cannot be written: %2").arg(shown(path), writer.errorString());
    }
    if (!file.commit()) {
        return QStringLiteral("%1: cannot be written: %2").arg(shown(path), file.errorString());
    }
    return std::nullopt;
}

}  // namespace voroquarn
