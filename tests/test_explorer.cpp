// The explorer's sites, picture and saving, without a window.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <numbers>
#include <random>

#include "diagram/Diagram.h"
#include "diagram/RegionColours.h"
#include "diagram/RegionMeasures.h"
#include "diagram/TiledDiagram.h"
#include "screen/ExploredSites.h"
#include "screen/ExplorerPicture.h"
#include "screen/ExplorerSaving.h"
#include "screen/ExplorerView.h"
#include "support/BoundaryFit.h"
#include "support/NearestSite.h"

namespace voroquarn::testing {
namespace {

SiteArrays arraysOf(std::initializer_list<Site> sites)
{
    SiteArrays arrays;
    for (const Site& site : sites) {
        arrays.add(site.x, site.y, site.w);
    }
    return arrays;
}

bool same(const ExploredSites& a, const SiteArrays& sites, const std::vector<std::uint32_t>& ids)
{
    return a.sites().x == sites.x && a.sites().y == sites.y && a.sites().w == sites.w &&
           std::equal(a.ids().begin(), a.ids().end(), ids.begin(), ids.end());
}

// Every kind of edit, its limits, and the whole history undone and done again; whether
// the sites are as last saved, and a restart with others.
TEST(ExploredSites, EveryEditUndoesAndRedoesWithinItsLimits)
{
    const SiteArrays start = arraysOf({{100, 100, 10}, {300, 100, 999999}, {200, 250, 1e30F}, {50, 50, 1.05e-6F}});
    ExploredSites sites(start);
    const std::vector<std::uint32_t> startIds(sites.ids().begin(), sites.ids().end());
    EXPECT_FALSE(sites.unsaved());

    EXPECT_EQ(sites.siteAt(104, 103, 8), 0);
    EXPECT_EQ(sites.siteAt(110, 110, 8), std::nullopt);
    EXPECT_EQ(sites.nearestSite(300, 110), 2);  // the heaviest, far away

    sites.moveTo(0, 120, 110);
    sites.moveTo(0, 130, 115);
    sites.endMove();  // one drag, one edit
    EXPECT_TRUE(sites.scaleWeight(1, true));
    EXPECT_EQ(sites.sites().w[1], ExploredSites::GREATEST_WEIGHT);
    EXPECT_FALSE(sites.scaleWeight(1, true));
    EXPECT_FALSE(sites.scaleWeight(2, true)) << "a weight beyond the limit grew";
    EXPECT_TRUE(sites.scaleWeight(2, false));
    EXPECT_EQ(sites.sites().w[2], ExploredSites::GREATEST_WEIGHT);
    EXPECT_TRUE(sites.scaleWeight(3, false));
    EXPECT_EQ(sites.sites().w[3], ExploredSites::LEAST_WEIGHT);
    EXPECT_FALSE(sites.scaleWeight(3, false));
    EXPECT_TRUE(sites.scaleWeight(0, true));
    EXPECT_FLOAT_EQ(sites.sites().w[0], 11);
    EXPECT_TRUE(sites.setWeight(0, 12.5F));
    EXPECT_FALSE(sites.setWeight(0, 12.5F));
    EXPECT_EQ(sites.add(60, 60), 4);
    EXPECT_EQ(sites.sites().w[4], ExploredSites::GREATEST_WEIGHT) << "not the weight of the nearest site";
    EXPECT_EQ(sites.ids()[4], 4U);
    EXPECT_TRUE(sites.remove(1));
    EXPECT_TRUE(sites.remove(0));
    EXPECT_TRUE(sites.remove(0));
    EXPECT_FALSE(sites.remove(0)) << "fewer than two sites";
    EXPECT_EQ(sites.sites().N, 2);
    const SiteArrays end = sites.sites();
    const std::vector<std::uint32_t> endIds(sites.ids().begin(), sites.ids().end());

    int undone = 0;
    while (sites.undo()) {
        ++undone;
    }
    EXPECT_EQ(undone, 10);
    EXPECT_TRUE(same(sites, start, startIds));
    EXPECT_FALSE(sites.unsaved()) << "undone to the start";
    while (sites.redo()) {
    }
    EXPECT_TRUE(same(sites, end, endIds));
    EXPECT_TRUE(sites.unsaved());
    sites.noteSaved(sites.asSites());
    EXPECT_FALSE(sites.unsaved());
    EXPECT_TRUE(sites.setWeight(0, 3));
    EXPECT_TRUE(sites.unsaved());
    EXPECT_TRUE(sites.undo());
    EXPECT_FALSE(sites.unsaved());
    EXPECT_TRUE(sites.undo());
    EXPECT_TRUE(sites.unsaved());
    sites.moveTo(0, 1, 1);  // a new edit: nothing is left to redo
    sites.endMove();
    EXPECT_FALSE(sites.redo());

    sites.restart(start);
    EXPECT_EQ(sites.sites().x, start.x);
    EXPECT_EQ(sites.ids()[0], 5U) << "an id used before";
    EXPECT_FALSE(sites.undo());
    EXPECT_TRUE(sites.unsaved()) << "the sites last saved were forgotten";
}

// On a tie the explorer names the site whose region the picture gives the point: of two
// equally near in the weighted sense the first sorted by weight (the lighter; of one
// weight the one the sort puts first), of exact copies the first placed; of markers as
// near the pointer, the same among them.
TEST(ExploredSites, TiesGoWhereThePictureGivesThePoint)
{
    struct Case {
        const char* what;
        SiteArrays placed;
        int x, y;
        std::int32_t region;  // nearestSite
        std::int32_t under;   // siteAt
    };
    const Case cases[] = {
        {"the lighter, on their circle", arraysOf({{4, 4, 3}, {0, 0, 1}}), 1, 1, 1, 1},
        {"one weight", arraysOf({{0, 0, 1}, {4, 0, 1}}), 2, 0, 1, 1},
        {"markers as near, the heavier first", arraysOf({{0, 0, 2}, {4, 0, 1}}), 2, 0, 0, 0},
        {"copies", arraysOf({{10, 10, 2}, {10, 10, 2}, {30, 10, 1}}), 12, 10, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ExploredSites sites(c.placed);
        EXPECT_EQ(sites.nearestSite(c.x, c.y), c.region);
        EXPECT_EQ(sites.siteAt(c.x, c.y, 8), c.under);
        TiledDiagram picture(40, 40, 40, true);
        picture.update(c.placed, sites.ids());
        const std::uint32_t owner = picture.owners()[static_cast<std::size_t>(c.y * 40 + c.x)];
        EXPECT_EQ(placesOf(c.placed, picture.sorted())[static_cast<std::size_t>(picture.sortedIndexOf(owner))],
                  c.region)
            << "not the region the picture shows";
    }
}

// Typed weights: what a site file takes, within the limits of the edits.
TEST(ExploredSites, TypedWeightsAreThoseOfSiteFilesWithinTheLimits)
{
    const std::vector<std::pair<std::string_view, std::variant<float, std::string>>> cases = {
        {"123.25", 123.25F},
        {"+1e3", 1000.0F},
        {"0.000001", 1e-6F},
        {"", std::string("type a weight, then Enter")},
        {"1..5", std::string("not a weight: expected a number, found \"1..5\"")},
        {"-2", std::string("not a weight: weight must be greater than 0")},
        {"1e-7", std::string(ExploredSites::WEIGHT_LIMITS)},
        {"1000001", std::string(ExploredSites::WEIGHT_LIMITS)},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(typedWeight(text), expected) << text;
    }
}

// The number of pixels where two pictures differ by more than rounding in any channel.
int differing(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            count += std::abs(qRed(p) - qRed(q)) > 2 || std::abs(qGreen(p) - qGreen(q)) > 2 ||
                             std::abs(qBlue(p) - qBlue(q)) > 2
                         ? 1
                         : 0;
        }
    }
    return count;
}

// Edited, the picture drawn again only where the edits reach is the picture a fresh
// start draws, filled or not; and its boundaries lie where the sites put them.
TEST(ExplorerPicture, EditedItIsTheFreshPictureWithTheBoundariesInPlace)
{
    constexpr int WIDTH = 360;
    constexpr int HEIGHT = 260;
    const QSize size(WIDTH, HEIGHT);
    std::mt19937 engine(77);
    std::uniform_real_distribution<double> unit(0, 1);
    SiteArrays start;
    for (int k = 0; k < 60; ++k) {
        start.add(20 + unit(engine) * (WIDTH - 40), 20 + unit(engine) * (HEIGHT - 40),
                  static_cast<float>(1 + 999 * unit(engine)));
    }
    for (const bool fill : {false, true}) {
        ExplorerLook look;
        look.fill = fill;
        ExploredSites sites(start);
        ExplorerPicture picture(look);
        ASSERT_EQ(picture.update(sites.sites(), sites.ids(), size), QRegion(QRect(QPoint(0, 0), size)));
        int redrawn = 0;
        for (int edit = 0; edit < 16; ++edit) {
            const auto k = static_cast<std::int32_t>(engine() % static_cast<unsigned>(sites.sites().N));
            switch (edit % 4) {
            case 0:
                sites.moveTo(k, unit(engine) * (WIDTH - 1), unit(engine) * (HEIGHT - 1));
                break;
            case 1:
                sites.scaleWeight(k, edit % 8 == 1);
                break;
            case 2:
                sites.add(unit(engine) * (WIDTH - 1), unit(engine) * (HEIGHT - 1));
                break;
            default:
                sites.remove(k);
                break;
            }
            const QRegion changed = picture.update(sites.sites(), sites.ids(), size);
            int drawn = 0;
            for (const QRect& rect : changed) {
                drawn += rect.width() * rect.height();
            }
            redrawn += drawn;
            ExplorerPicture fresh(look);
            fresh.update(sites.sites(), sites.ids(), size);
            ASSERT_EQ(differing(picture.image(), fresh.image()), 0) << "fill " << fill << ", edit " << edit;
        }
        EXPECT_LT(redrawn, 16 * WIDTH * HEIGHT / 2) << "the edits drew most of the picture again";
        if (fill) {
            continue;
        }
        // White on black, without the labels that stand anywhere around the sites: the
        // boundaries lie where the sites put them.
        look.labels = false;
        ExplorerPicture bare(look);
        bare.update(sites.sites(), sites.ids(), size);
        const BoundaryFit fit = boundaryFit(bare.image(), sites.sites());
        EXPECT_EQ(fit.stray, 0);
        EXPECT_EQ(fit.unlit, 0);
    }
}

// A zoom keeps the point under the pointer where it is, a pan moves the sites with the
// pointer, the scale stays within its limits, and the view at start shows the sites'
// own coordinates exactly, also once back there.
TEST(ExplorerView, ZoomsAboutThePointerAndStartsAtTheSitesOwnCoordinates)
{
    const SiteArrays sites = arraysOf({{10.1, 20.3, 5}, {300.7, 7.9, 2}});
    ExplorerView view;
    EXPECT_TRUE(view.zoomAbout({100, 50}, 4));
    const PlanePoint held = view.toPicture(view.toSites({100, 50}));
    EXPECT_DOUBLE_EQ(held.x, 100);
    EXPECT_DOUBLE_EQ(view.toPicture({10.1, 20.3}).x, 100 + (10.1 - 100) * 4);
    view.panBy(8, -4);
    EXPECT_DOUBLE_EQ(view.toPicture({10.1, 20.3}).y, 50 + (20.3 - 50) * 4 - 4);
    EXPECT_TRUE(view.zoomAbout({0, 0}, 1e9));
    EXPECT_EQ(view.scale(), ExplorerView::GREATEST_SCALE);
    EXPECT_FALSE(view.zoomAbout({0, 0}, 2)) << "beyond the limit";
    view.reset();
    SiteArrays shown;
    view.show(sites, shown);
    EXPECT_TRUE(view.atStart() && shown.x == sites.x && shown.y == sites.y && shown.w == sites.w);
}

// A save writes the picture or the diagram and a site file that reads back bit for bit;
// one that cannot write both leaves the old files as they were.
TEST(ExplorerSaving, WritesBothFilesOrKeepsTheOldOnes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<Site> sites = {{40.25, 30.5, 12.5F}, {150.125, 90, 700}, {90, 110.75, 333.3F}};
    const QSize size(200, 150);
    ExplorerLook look;
    look.fill = true;
    const QString png = dir.filePath("a.png");
    const QString txt = dir.filePath("a.txt");
    ASSERT_EQ(saveExplored(ExplorerSaving::Kind::Png, sites, size, look, png, txt), std::nullopt);

    SiteArrays placed;
    for (const Site& site : sites) {
        placed.add(site.x, site.y, site.w);
    }
    ExplorerPicture picture(look);
    picture.update(placed, std::vector<std::uint32_t>{0, 1, 2}, size);
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), picture.image());
    QFile text(txt);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    const QByteArray written = text.readAll();
    EXPECT_TRUE(written.startsWith("# voroquarn --explore, 200x150: voroquarn --sites FILE --size 200x150 --fill --smooth "
                                   "draws it again\n"))
        << "the replay leaves out an option of the picture";
    const SiteFileContents read = parseSiteFile(written.toStdString());
    ASSERT_FALSE(read.error);
    ASSERT_EQ(read.sites.size(), sites.size());
    for (std::size_t k = 0; k < sites.size(); ++k) {
        EXPECT_TRUE(read.sites[k].x == sites[k].x && read.sites[k].y == sites[k].y && read.sites[k].w == sites[k].w);
    }
    ASSERT_EQ(saveExplored(ExplorerSaving::Kind::Svg, sites, size, look, dir.filePath("a.svg"), txt), std::nullopt);
    QFile svg(dir.filePath("a.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));

    QFile before(png);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray old = before.readAll();
    const std::vector<Site> moved = {{10, 10, 1}, {20, 20, 2}};
    const auto failed = saveExplored(ExplorerSaving::Kind::Png, moved, size, look, png, dir.filePath("none/a.txt"));
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->endsWith("none/a.txt: cannot be written: No such file or directory")) << failed->toStdString();
    QFile after(png);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3) << "a temporary is left";
}

// The status line's area of a region: exact where the shape is known (a half, a disk
// inside the area, a copy's nothing), the whole area over all the regions, and near the
// pixels each region holds.
TEST(StatusArea, MeasuresRegionsExactly)
{
    const ClipArea area = drawingArea(300, 200);
    const SiteArrays halves = arraysOf({{100, 100, 5}, {200, 100, 5}, {200, 100, 5}});
    EXPECT_DOUBLE_EQ(measureRegionOf(halves, 0, area).area, 150.5 * 200);
    EXPECT_DOUBLE_EQ(measureRegionOf(halves, 1, area).area, 149.5 * 200);
    EXPECT_EQ(measureRegionOf(halves, 2, area).area, 0) << "the later copy";
    // The lighter site's region is the disk about (81.25, 100) of radius 56.25.
    const SiteArrays disk = arraysOf({{100, 100, 1}, {250, 100, 3}});
    const double circle = std::numbers::pi * 56.25 * 56.25;
    EXPECT_NEAR(measureRegionOf(disk, 0, area).area, circle, 1e-9 * circle);
    EXPECT_NEAR(measureRegionOf(disk, 1, area).area, 300 * 200 - circle, 1e-9 * circle);

    std::mt19937 engine(5);
    std::uniform_real_distribution<double> unit(0, 1);
    SiteArrays sites;
    for (int k = 0; k < 40; ++k) {
        sites.add(unit(engine) * 299, unit(engine) * 199, static_cast<float>(1 + 99 * unit(engine)));
    }
    std::vector<std::uint8_t> nearest;
    labelNearestSites(sites, 0, 0, 300, 200, [&](int k, double x, double y) { return weightedRatio(sites, k, x, y); },
                      nearest);
    double total = 0;
    for (std::int32_t k = 0; k < sites.N; ++k) {
        const double measured = measureRegionOf(sites, k, area).area;
        const auto pixels = static_cast<double>(std::count(nearest.begin(), nearest.end(), k));
        EXPECT_NEAR(measured, pixels, 3 * std::sqrt(pixels) + 3) << "site " << k;
        total += measured;
    }
    EXPECT_NEAR(total, 300 * 200, 1e-6);
}

}  // namespace
}  // namespace voroquarn::testing
