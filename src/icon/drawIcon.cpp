// Draws the program's icon at one size, at build time, with the program's own run:
//
//   draw_icon SITE-FILE SIZE LINE-WIDTH OUTPUT
//
// The site file places the sites on a 256 x 256 area; they are scaled to the icon's
// size. LINE-WIDTH is in pixels of the icon. The regions are filled as --fill fills
// them, and the picture is cut to the icon's tile (IconTile). An OUTPUT ending in .svg is
// the scalable icon, SIZE pixels its user units: the diagram's exact pieces, as --output
// draws them into SVG, with lines and dots as the raster icons have them.
#include <QBuffer>
#include <QSaveFile>
#include <QString>
#include <cstdio>
#include <string>
#include <cstdlib>
#include <variant>
#include <vector>

#include "app/SiteInput.h"
#include "core/RandomSource.h"
#include "core/driveToEnd.h"
#include "diagram/Diagram.h"
#include "diagram/drawDiagram.h"
#include "icon/IconSurface.h"
#include "icon/IconTile.h"
#include "output/OutputFormat.h"
#include "output/SvgWriter.h"

namespace {

// The side of the area the icon's site files are laid out on.
constexpr double DESIGN_SIDE = 256;

int fail(const QString& message)
{
    std::fprintf(stderr, "draw_icon: %s\n", message.toLocal8Bit().constData());
    return 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    using namespace voroquarn;
    if (argc != 5) {
        return fail(QStringLiteral("usage: draw_icon SITE-FILE SIZE LINE-WIDTH OUTPUT"));
    }
    const int size = std::atoi(argv[2]);
    const double lineWidth = std::atof(argv[3]);
    if (size < 1 || size > 1024 || !(lineWidth > 0)) {
        return fail(QStringLiteral("bad size %1 or line width %2").arg(argv[2], argv[3]));
    }
    auto loaded = loadSites(argv[1]);
    if (const std::string* problem = std::get_if<std::string>(&loaded)) {
        return fail(QString::fromStdString(*problem));
    }

    const std::string output = argv[4];
    const bool scalable = outputFormatOf(output) == OutputFormat::Svg;
    const double scale = size * (scalable ? 1 : IconSurface::SUPERSAMPLING) / DESIGN_SIDE;
    RunSettings settings;
    settings.fill = true;
    for (const Site& site : std::get<std::vector<Site>>(loaded)) {
        settings.givenSites.push_back({site.x * scale, site.y * scale, site.w});
    }
    SeededRandom random(0);  // unused: the sites are given

    if (scalable) {
        Diagram diagram = recordDiagram(size, size, random, settings);
        diagram.style = {lineWidth, IconSurface::SITE_DOT * lineWidth / 2, false};
        QBuffer picture;
        if (!picture.open(QIODevice::ReadWrite) || !writeSvg(diagram, picture) || !picture.seek(0)) {
            return fail(QStringLiteral("the diagram could not be drawn as SVG"));
        }
        const QString name = QString::fromLocal8Bit(argv[4]);
        QSaveFile file(name);
        if (!file.open(QIODevice::WriteOnly)) {
            return fail(QStringLiteral("%1: %2").arg(name, file.errorString()));
        }
        if (const QString problem = clipSvgToTile(picture, size, file); !problem.isEmpty()) {
            return fail(QStringLiteral("%1: %2").arg(name, problem));
        }
        if (!file.commit()) {
            return fail(QStringLiteral("%1: %2").arg(name, file.errorString()));
        }
        return 0;
    }
    IconSurface surface(size, lineWidth);
    driveToEnd(drawDiagram(surface, random, settings), surface);
    // A build product, in full colour with transparency: Qt's own PNG writer.
    if (!surface.icon().save(QString::fromLocal8Bit(argv[4]), "PNG")) {
        return fail(QStringLiteral("%1: cannot be written").arg(QString::fromLocal8Bit(argv[4])));
    }
    return 0;
}
