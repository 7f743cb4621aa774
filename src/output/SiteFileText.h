#pragma once

#include <QByteArray>
#include <QStringList>
#include <span>

#include "diagram/SiteFile.h"

namespace voroquarn {

// A site file of the sites in their order, one "x y weight" line each (formatSite), that
// --sites reads back bit for bit; each comment goes first on a line of its own after
// "# ".
QByteArray siteFileText(std::span<const Site> sites, const QStringList& comments = {});

}  // namespace voroquarn
