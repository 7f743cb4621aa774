#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <vector>

#include "diagram/SiteFile.h"

namespace voroquarn {

// Where the explorer keeps the sites of a window that closed with edits not saved:
// voroquarn/unsaved.txt in the user's state folder, $XDG_STATE_HOME or else
// ~/.local/state. Empty, with the reason in `problem`, when there is no home folder.
QString unsavedSitesPath(QString& problem);

// Writes the sites there as a site file, in full to a temporary first, making the
// folder where it is missing; returns what went wrong, or nothing.
std::optional<QString> keepUnsavedSites(const QString& path, std::span<const Site> sites, const QStringList& comments);

// The sites kept there; none when there is no such file or it is no site file.
std::vector<Site> keptUnsavedSites(const QString& path);

}  // namespace voroquarn
