#include "app/SiteInput.h"

#include <QFile>
#include <QFileInfo>

#include "output/FileNames.h"
#include "output/Shown.h"

namespace voroquarn {

namespace {

// A site file holds at most 11 sites; anything this large is not one.
constexpr qint64 MAX_FILE_BYTES = 1024 * 1024 * 1024;

}  // namespace

std::variant<std::vector<Site>, QString> loadSites(const QString& path)
{
    const bool standardInput = path == QStringLiteral("-");
    const QString name = standardInput ? QStringLiteral("standard input") : shown(path);

    QFile file;
    if (standardInput) {
        if (!file.open(stdin, QIODevice::ReadOnly)) {
            return QStringLiteral("%1: cannot be read").arg(name);
        }
    } else {
        const QFileInfo info(path);
        if (isNameTooLong(path)) {
            return QStringLiteral("%1: the name is too long").arg(name);
        }
        if (!info.exists()) {
            return QStringLiteral("%1: no such file").arg(name);
        }
        if (info.isDir()) {
            return QStringLiteral("%1: is a folder, not a site file").arg(name);
        }
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return QStringLiteral("%1: cannot be read: %2").arg(name, file.errorString());
        }
    }

    const QByteArray text = file.read(MAX_FILE_BYTES + 1);
    if (file.error() != QFileDevice::NoError) {
        return QStringLiteral("%1: cannot be read: %2").arg(name, file.errorString());
    }
    if (text.size() > MAX_FILE_BYTES) {
        return QStringLiteral("%1: larger than %2 MiB, not a site file").arg(name).arg(MAX_FILE_BYTES >> 20);
    }

    SiteFileContents contents = parseSiteFile(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (contents.error) {
        const QString message = QString::fromStdString(contents.error->message);
        if (contents.error->line > 0) {
            return QStringLiteral("%1:%2: %3").arg(name).arg(contents.error->line).arg(message);
        }
        return QStringLiteral("%1: %2").arg(name, message);
    }
    return std::move(contents.sites);
}

}  // namespace voroquarn
