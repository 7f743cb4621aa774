// The SVG and PDF writers, on the diagram as values: exact numbers, and devices that
// refuse the bytes.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <random>

#include "core/RandomSource.h"
#include "diagram/Diagram.h"
#include "diagram/drawDiagram.h"
#include "diagram/sortByWeight.h"
#include "output/PdfWriter.h"
#include "output/SvgWriter.h"
#include "support/NearestSite.h"
#include "support/RandomSites.h"

namespace voroquarn {
namespace {

// A device that takes the first `room` bytes and refuses the rest, as a full disk does.
class FullDevice final : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char* /*data*/, qint64 /*maxLength*/) override { return -1; }
    qint64 writeData(const char* /*data*/, qint64 length) override
    {
        if (length > room_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        room_ -= length;
        return length;
    }

private:
    qint64 room_;
};

Diagram diagramOf(std::vector<Site> sites, int width, int height)
{
    SeededRandom random(0);
    RunSettings settings;
    settings.givenSites = std::move(sites);
    return recordDiagram(width, height, random, settings);
}

TEST(VectorWriters, ADeviceThatRefusesBytesFailsTheWrite)
{
    const Diagram diagram = diagramOf({{100, 100, 5}, {300, 200, 9}, {200, 50, 9}}, 400, 300);
    for (const auto write : {writeSvg, writePdf}) {
        QBuffer whole;
        whole.open(QIODevice::WriteOnly);
        ASSERT_TRUE(write(diagram, whole, nullptr));
        const qint64 size = whole.data().size();
        for (const qint64 room : {qint64(0), size / 2, size - 1}) {
            FullDevice full(room);
            EXPECT_FALSE(write(diagram, full, nullptr)) << room << " of " << size;
        }
        FullDevice enough(size);
        EXPECT_TRUE(write(diagram, enough, nullptr));
    }
}

// Every number of the SVG reads back as the value it stands for, bit for bit: the pieces'
// end points and radii, in the pieces' order, and each arc's flags.
TEST(VectorWriters, TheSvgHoldsEveryPieceExactly)
{
    // Arcs large and small, straight pieces of equal weights, and a circle of radius
    // 6.5e6 px of weights one float apart.
    const Diagram diagram = diagramOf(
        {{100, 100, 50}, {300, 200, 90}, {200, 50, 90}, {350, 40, 20}, {40, 260, 70}, {41, 261, 70.00001F}}, 400, 300);
    ASSERT_GE(diagram.pieces.size(), 6U);

    QBuffer svg;
    svg.open(QIODevice::WriteOnly);
    ASSERT_TRUE(writeSvg(diagram, svg));
    QXmlStreamReader xml(svg.data());
    std::vector<QStringList> paths;
    QStringList labels;
    int circles = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("svg")) {
            EXPECT_EQ(xml.attributes().value("viewBox"), QLatin1String("0 0 400 300"));
        } else if (xml.name() == QLatin1String("path")) {
            paths.push_back(xml.attributes().value("d").toString().split(' '));
        } else if (xml.name() == QLatin1String("circle")) {
            ++circles;
        } else if (xml.name() == QLatin1String("text")) {
            labels << xml.readElementText();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(circles, 6);
    EXPECT_EQ(labels, QStringList({"50", "90", "90", "20", "70", "70"}));

    const auto exactly = [](const QString& text, double value) {
        return text.toDouble() == value && !text.isEmpty();
    };
    ASSERT_EQ(paths.size(), diagram.pieces.size());
    int arcs = 0;
    for (std::size_t n = 0; n < paths.size(); ++n) {
        const BoundaryPiece& p = diagram.pieces[n];
        const QStringList& d = paths[n];
        const std::string shown = d.join(' ').toStdString();
        ASSERT_EQ(d.size(), p.shape == BoundaryPiece::Shape::Arc ? 11 : 6) << shown;
        EXPECT_TRUE(d[0] == "M" && exactly(d[1], p.start.x) && exactly(d[2], p.start.y)) << shown;
        EXPECT_TRUE(exactly(d[d.size() - 2], p.end.x) && exactly(d[d.size() - 1], p.end.y)) << shown;
        if (p.shape == BoundaryPiece::Shape::Arc) {
            ++arcs;
            EXPECT_TRUE(d[3] == "A" && exactly(d[4], p.radius) && exactly(d[5], p.radius) && d[6] == "0") << shown;
            EXPECT_EQ(d[7], p.largeArc() ? "1" : "0") << shown;
            EXPECT_EQ(d[8], "1") << shown;
        } else {
            EXPECT_EQ(d[3], "L") << shown;
        }
    }
    EXPECT_GE(arcs, 6);
    EXPECT_LT(arcs, static_cast<int>(paths.size()));
}

// A side's loops as a path, its arcs as polylines whose points are at most an eighth of
// a pixel off the circle.
QPainterPath sidePath(const BisectorSide& side)
{
    QPainterPath path;
    for (const auto& loop : side.loops) {
        path.moveTo(loop.front().start.x, loop.front().start.y);
        for (const BoundaryPiece& piece : loop) {
            const bool arc = piece.shape == BoundaryPiece::Shape::Arc;
            const int parts = arc ? static_cast<int>(std::clamp(std::ceil(piece.sweep * std::sqrt(piece.radius)), 4.0, 4096.0)) : 1;
            for (int n = 1; n <= parts; ++n) {
                const PlanePoint p = n == parts ? piece.end : piece.pointAt(static_cast<double>(n) / parts);
                path.lineTo(p.x, p.y);
            }
        }
        path.closeSubpath();
    }
    return path;
}

// The regions the vector files fill, made as they make them from the bisectors' sides
// and the cuts, painted with Qt's raster engine: every pixel more than two pixels away
// from a change of the nearest site lies in the region of its nearest site and in no
// other, for sites with equal, nearly equal and one-float-apart weights, at one place
// and next to one another.
TEST(VectorWriters, TheRegionsOfTheFilledFilesAreThoseOfTheNearestSites)
{
    constexpr int W = 160;
    constexpr int H = 120;
    std::mt19937 engine(20261209);
    for (int round = 0; round < 400; ++round) {
        SiteArrays sites = testing::randomSites(engine, W + 6, H + 27);
        sortByWeight(sites.N, sites.w, sites.x, sites.y);
        SCOPED_TRACE(::testing::Message() << "round " << round << ": " << testing::describe(sites));
        const ClipArea regionArea = grown(drawingArea(W, H), 1);
        const std::vector<BisectorSide> sides = lighterSides(sites, regionArea);
        std::vector<QPainterPath> paths;
        for (const BisectorSide& side : sides) {
            paths.push_back(sidePath(side));
        }
        QPainterPath around;
        const ClipArea a = grown(regionArea, 1);
        around.addRect(QRectF(QPointF(a.left, a.top), QPointF(a.right, a.bottom)));

        // Region k adds k to red and one to green: green counts the regions of a pixel.
        QImage painted(W, H, QImage::Format_RGB32);
        painted.fill(Qt::black);
        QPainter painter(&painted);
        painter.translate(0.5, 0.5);
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        for (int k = 1; k <= sites.N; ++k) {
            const auto cuts = regionCuts(sides, sites.N, k);
            if (!cuts) {
                continue;
            }
            painter.save();
            for (const RegionCut& cut : *cuts) {
                QPainterPath clip = paths[cut.side];
                if (cut.outside) {
                    clip = around;
                    clip.addPath(paths[cut.side]);
                    clip.setFillRule(Qt::OddEvenFill);
                }
                painter.setClipPath(clip, Qt::IntersectClip);
            }
            painter.fillRect(QRectF(-0.5, -0.5, W, H), QColor(k, 1, 0));
            painter.restore();
        }
        painter.end();

        // Labelled two pixels beyond the area too, for the boundaries that pass by it.
        std::vector<std::uint8_t> nearest;
        testing::labelNearestSites(sites, -2, -2, W + 4, H + 4,
                                   [&](int k, int x, int y) { return testing::weightedRatio(sites, k, x, y); }, nearest);
        const auto label = [&](int x, int y) { return nearest[static_cast<std::size_t>((y + 2) * (W + 4) + x + 2)]; };
        int wrong = 0;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                bool nearChange = false;
                for (int v = y - 2; v <= y + 2; ++v) {
                    for (int u = x - 2; u <= x + 2; ++u) {
                        nearChange = nearChange || label(u, v) != label(x, y);
                    }
                }
                const QRgb p = painted.pixel(x, y);
                if (!nearChange && (qGreen(p) != 1 || qRed(p) != label(x, y) + 1) && ++wrong <= 3) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") lies in " << qGreen(p)
                                  << " regions, summing to " << qRed(p) << ", not in region " << label(x, y) + 1;
                }
            }
        }
        ASSERT_EQ(wrong, 0);
    }
}

}  // namespace
}  // namespace voroquarn
