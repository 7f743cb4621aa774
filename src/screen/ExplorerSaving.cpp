#include "screen/ExplorerSaving.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/RandomSource.h"
#include "diagram/Diagram.h"
#include "diagram/drawDiagram.h"
#include "output/ImageOutput.h"
#include "output/Messages.h"
#include "output/OutputFile.h"
#include "output/PngWriter.h"
#include "output/SiteFileText.h"
#include "output/SvgWriter.h"
#include "screen/PictureFolder.h"

namespace voroquarn {

namespace {

QString extensionOf(ExplorerSaving::Kind kind)
{
    switch (kind) {
    case ExplorerSaving::Kind::Png:
        return QStringLiteral(".png");
    case ExplorerSaving::Kind::Svg:
        return QStringLiteral(".svg");
    }
    return {};
}

// The picture's bytes into the open file; false when the file refused them or the
// picture could not be made.
bool writePicture(ExplorerSaving::Kind kind, const std::vector<Site>& sites, QSize size, const ExplorerLook& look,
                  OutputFile& file, QString& problem)
{
    switch (kind) {
    case ExplorerSaving::Kind::Png: {
        SiteArrays placed;
        std::vector<std::uint32_t> ids;
        for (const Site& site : sites) {
            ids.push_back(static_cast<std::uint32_t>(placed.N));
            placed.add(site.x, site.y, site.w);
        }
        ExplorerPicture picture(look);
        picture.update(placed, ids, size);
        if (picture.isNull()) {
            problem = notEnoughMemoryFor(size);
            return false;
        }
        if (const auto failure = writePng(picture.image(), file)) {
            problem = failure->kind == PngFailure::Kind::OutOfMemory ? notEnoughMemoryFor(size)
                                                                     : file.cannotBeWritten(failure->message);
            return false;
        }
        return true;
    }
    case ExplorerSaving::Kind::Svg: {
        RunSettings settings;
        settings.givenSites = sites;
        settings.fill = look.fill;
        settings.markers = look.markers;
        settings.labels = look.labels;
        settings.markSizes = look.markSizes;
        SeededRandom random(0U);
        const Diagram diagram = recordDiagram(size.width(), size.height(), random, settings);
        if (!writeSvg(diagram, file)) {
            problem = file.cannotBeWritten();
            return false;
        }
        return true;
    }
    }
    return false;
}

}  // namespace

QString lookOptions(const ExplorerLook& look)
{
    QString options;
    if (look.fill) {
        options += QStringLiteral(" --fill");
    }
    options += QStringLiteral(" --smooth");
    if (!look.markers) {
        options += QStringLiteral(" --no-markers");
    }
    if (!look.labels) {
        options += QStringLiteral(" --no-labels");
    }
    return options;
}

std::optional<QString> saveExplored(ExplorerSaving::Kind kind, const std::vector<Site>& sites, QSize size,
                                    const ExplorerLook& look, const QString& picturePath, const QString& sitesPath)
{
    OutputFile picture(QFile::encodeName(picturePath).toStdString());
    OutputFile siteFile(QFile::encodeName(sitesPath).toStdString());
    if (!picture.open(QIODevice::WriteOnly)) {
        return picture.cannotBeWritten();
    }
    if (!siteFile.open(QIODevice::WriteOnly)) {
        return siteFile.cannotBeWritten();
    }
    QString problem;
    if (!writePicture(kind, sites, size, look, picture, problem)) {
        return problem;
    }
    const QByteArray text =
        siteFileText(sites, {QStringLiteral("voroquarn --explore, %1x%2: voroquarn --sites FILE --size %1x%2%3 draws "
                                            "it again")
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(lookOptions(look))});
    if (siteFile.write(text) != text.size()) {
        return siteFile.cannotBeWritten();
    }
    if (!picture.commit()) {
        return picture.cannotBeWritten();
    }
    if (!siteFile.commit()) {
        return siteFile.cannotBeWritten();
    }
    return std::nullopt;
}

ExplorerSaving::ExplorerSaving(QObject& context, const ExplorerLook& look, Said said)
    : context_(context), look_(look), said_(std::move(said))
{
}

ExplorerSaving::~ExplorerSaving() = default;

QString ExplorerSaving::baseName(const QString& folder)
{
    if (base_.isEmpty()) {
        const QDir dir(folder);
        for (int n = 1;; ++n) {
            const QString name = QStringLiteral("voroquarn-explore-%1").arg(n);
            if (!QFileInfo::exists(dir.filePath(name + ".png")) && !QFileInfo::exists(dir.filePath(name + ".svg")) &&
                !QFileInfo::exists(dir.filePath(name + ".txt"))) {
                base_ = name;
                break;
            }
        }
    }
    return QDir(folder).filePath(base_);
}

void ExplorerSaving::save(Kind kind, std::vector<Site> sites, QSize size)
{
    if (running_.joinable()) {
        running_.join();  // one save at a time, in order
    }
    QString problem;
    const QString folder = pictureFolder(problem);
    if (folder.isEmpty()) {
        say(problem);
        said_(QStringLiteral("voroquarn: ") + problem, nullptr);
        return;
    }
    const QString base = baseName(folder);
    const QString picturePath = base + extensionOf(kind);
    const QString sitesPath = base + QStringLiteral(".txt");
    running_ = std::jthread([&context = context_, said = said_, kind, sites = std::move(sites), size, look = look_,
                             picturePath, sitesPath] {
        const std::optional<QString> failed = saveExplored(kind, sites, size, look, picturePath, sitesPath);
        say(failed ? *failed
                   : QStringLiteral("saved the picture to %1 and the sites to %2").arg(picturePath, sitesPath));
        // The window names the files in the folder, and an error as it is said.
        const QFileInfo picture(picturePath);
        const QString line = failed ? QStringLiteral("voroquarn: ") + *failed
                                    : QStringLiteral("saved %1 and %2 in %3")
                                          .arg(picture.fileName(), QFileInfo(sitesPath).fileName(), picture.path());
        QMetaObject::invokeMethod(
            &context, [said, line, saved = failed ? std::optional<std::vector<Site>>() : sites] {
                said(line, saved ? &*saved : nullptr);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace voroquarn
