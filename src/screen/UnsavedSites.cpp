#include "screen/UnsavedSites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "output/OutputFile.h"
#include "output/SiteFileText.h"

namespace voroquarn {

namespace {

// A site file of more than this is none the explorer left.
constexpr qint64 MOST_BYTES = qint64{1} << 30;

}  // namespace

QString unsavedSitesPath(QString& problem)
{
    // As the XDG base directories have it: a relative $XDG_STATE_HOME counts as unset.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.startsWith('/')) {
        const QString home = qEnvironmentVariable("HOME");
        if (!home.startsWith('/')) {
            problem = QStringLiteral("HOME is not set, so there is no folder for them");
            return {};
        }
        state = home + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/voroquarn/unsaved.txt");
}

std::optional<QString> keepUnsavedSites(const QString& path, std::span<const Site> sites, const QStringList& comments)
{
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder)) {
        return QStringLiteral("%1: cannot make the folder").arg(folder);
    }
    OutputFile file(QFile::encodeName(path).toStdString());
    if (!file.open(QIODevice::WriteOnly)) {
        return file.cannotBeWritten();
    }
    const QByteArray text = siteFileText(sites, comments);
    if (file.write(text) != text.size() || !file.commit()) {
        return file.cannotBeWritten();
    }
    return std::nullopt;
}

std::vector<Site> keptUnsavedSites(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > MOST_BYTES) {
        return {};
    }
    SiteFileContents contents = parseSiteFile(file.readAll().toStdString());
    return contents.error ? std::vector<Site>{} : std::move(contents.sites);
}

}  // namespace voroquarn
