#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <thread>
#include <vector>

#include "diagram/SiteFile.h"
#include "screen/ExplorerPicture.h"

namespace voroquarn {

// Saves what the explorer shows, each time with a site file of its sites that --sites
// reads back bit for bit: the picture as PNG, or the diagram as SVG (the picture that
// --sites FILE --size WxH --output FILE.svg writes). The files go to the picture folder
// under one name for the session, voroquarn-explore-N with the first N that no PNG, SVG
// or site file has yet when the session first saves; later saves of the session replace
// them. Both files are written in full to temporaries before either takes its name, so
// that a save that fails leaves the files there were as they were.
//
// A save runs in a thread of its own, one at a time; what it says comes back in the
// thread of `context` through `said`: the line, and the sites saved, or none for an
// error.
class ExplorerSaving {
public:
    enum class Kind { Png, Svg };
    using Said = std::function<void(const QString& line, const std::vector<Site>* saved)>;

    ExplorerSaving(QObject& context, const ExplorerLook& look, Said said);
    ~ExplorerSaving();

    // Saves these sites, in their order of placement, as a picture of this size.
    void save(Kind kind, std::vector<Site> sites, QSize size);

private:
    // The session's name in the folder, chosen at the first save.
    QString baseName(const QString& folder);

    QObject& context_;
    ExplorerLook look_;
    Said said_;
    QString base_;
    std::jthread running_;
};

// The options after --sites FILE --size WxH that draw a picture of this look again: the
// explorer draws its boundaries smoothly, as --smooth does.
QString lookOptions(const ExplorerLook& look);

// Writes a save's files: `picture` (PNG or SVG) and `sites`, both to temporaries first;
// returns what went wrong, or nothing.
std::optional<QString> saveExplored(ExplorerSaving::Kind kind, const std::vector<Site>& sites, QSize size,
                                    const ExplorerLook& look, const QString& picturePath, const QString& sitesPath);

}  // namespace voroquarn
