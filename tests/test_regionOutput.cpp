// The regions as data: the CSV and GeoJSON files the program writes hold the measures of
// the diagram's regions to the last digit, and the GeoJSON's shapes have those areas.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <charconv>

#include "diagram/Diagram.h"
#include "diagram/RegionMeasures.h"
#include "support/CommandRun.h"

namespace {

using voroquarn::testing::runCommand;

// The fewest digits that read back as the same value.
template <class Real>
QString shortest(Real value)
{
    char text[32];
    return QString::fromLatin1(text, std::to_chars(text, text + sizeof text, value).ptr - text);
}

TEST(RegionOutput, CsvAndGeoJsonHoldTheRegionsOfTheSitesInTheirOrder)
{
    // The third surrounds the second and the fifth, and the fourth is a copy of the first.
    const voroquarn::SiteArrays sites{{100, 400, 250, 100, 300}, {100, 300, 420, 100, 250}, {300, 310.5F, 900, 300, 2.5F}, 5};
    const QTemporaryDir dir;
    QFile siteFile(dir.filePath("sites.txt"));
    ASSERT_TRUE(siteFile.open(QIODevice::WriteOnly));
    siteFile.write("100 100 300\n400 300 310.5\n250 420 900\n100 100 300\n300 250 2.5\n");
    siteFile.close();
    for (const char* name : {"r.csv", "r.geojson"}) {
        const auto result = runCommand(VOROQUARN_BINARY, {"--sites", siteFile.fileName(), "--output", dir.filePath(name)});
        ASSERT_EQ(result.status, 0) << name << ": " << result.err.toStdString();
    }
    const voroquarn::RegionMeasures measures = voroquarn::measureRegions(sites, voroquarn::drawingArea(618, 508));

    QFile csv(dir.filePath("r.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(csv.readAll()).split('\n');
    ASSERT_EQ(lines.size(), 7);  // the header, five rows and the last line's end
    EXPECT_EQ(lines[0], "site,x,y,weight,area,perimeter,neighbours");
    QJsonDocument json;
    QFile geojson(dir.filePath("r.geojson"));
    ASSERT_TRUE(geojson.open(QIODevice::ReadOnly));
    json = QJsonDocument::fromJson(geojson.readAll());
    EXPECT_EQ(json["type"], "FeatureCollection");
    const QJsonArray features = json["features"].toArray();
    ASSERT_EQ(features.size(), 5);

    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE("site " + std::to_string(k + 1));
        const auto at = static_cast<std::size_t>(k);
        QStringList numbers;
        for (const std::int32_t n : measures.neighboursOf(k)) {
            numbers << QString::number(n + 1);
        }
        const QStringList row{QString::number(k + 1), shortest(sites.x[at]), shortest(sites.y[at]),
                              shortest(sites.w[at]), shortest(measures.area[at]), shortest(measures.perimeter[at]),
                              numbers.join(';')};
        EXPECT_EQ(lines[k + 1], row.join(','));

        const QJsonObject feature = features[k].toObject();
        const QJsonObject properties = feature["properties"].toObject();
        EXPECT_EQ(properties["site"].toInt(), k + 1);
        EXPECT_EQ(properties["area"].toDouble(), measures.area[at]);
        EXPECT_EQ(properties["weight"].toDouble(), double(sites.w[at]));
        EXPECT_EQ(properties["neighbours"].toString(), numbers.join(';'));
        if (k == 3) {
            EXPECT_EQ(measures.area[at], 0) << "a copy has no region";
            EXPECT_TRUE(feature["geometry"].isNull());
            continue;
        }
        const QJsonObject geometry = feature["geometry"].toObject();
        ASSERT_EQ(geometry["type"], "Polygon");
        double area = 0;
        const QJsonArray rings = geometry["coordinates"].toArray();
        EXPECT_EQ(rings.size(), k == 2 ? 3 : 1) << "the second's and the fifth's regions are holes in the third's";
        for (int r = 0; r < rings.size(); ++r) {
            const QJsonArray ring = rings[r].toArray();
            ASSERT_GE(ring.size(), 4);
            EXPECT_EQ(ring.first(), ring.last());
            double twice = 0;
            for (int p = 0; p + 1 < ring.size(); ++p) {
                const QJsonArray a = ring[p].toArray();
                const QJsonArray b = ring[p + 1].toArray();
                twice += a[0].toDouble() * b[1].toDouble() - b[0].toDouble() * a[1].toDouble();
            }
            EXPECT_EQ(twice > 0, r == 0) << "an outer ring's signed area is positive, a hole's negative";
            area += twice / 2;
        }
        EXPECT_NEAR(area, measures.area[at], 0.01 * measures.perimeter[at]);
    }
}

}  // namespace
