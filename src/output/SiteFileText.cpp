#include "output/SiteFileText.h"

namespace voroquarn {

QByteArray siteFileText(std::span<const Site> sites, const QStringList& comments)
{
    QByteArray text;
    for (const QString& comment : comments) {
        text += "# " + comment.toUtf8() + '\n';
    }
    for (const Site& site : sites) {
        text += QByteArray::fromStdString(formatSite(site)) + '\n';
    }
    return text;
}

}  // namespace voroquarn
