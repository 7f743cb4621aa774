// The SVG and PDF writers, on the diagram as values: exact numbers, and devices that
// refuse the bytes.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "app/drawDiagram.h"
#include "output/Diagram.h"
#include "output/PdfWriter.h"
#include "output/SvgWriter.h"
#include "window/RandomSource.h"

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
        ASSERT_TRUE(write(diagram, whole));
        const qint64 size = whole.data().size();
        for (const qint64 room : {qint64(0), size / 2, size - 1}) {
            FullDevice full(room);
            EXPECT_FALSE(write(diagram, full)) << room << " of " << size;
        }
        FullDevice enough(size);
        EXPECT_TRUE(write(diagram, enough));
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

}  // namespace
}  // namespace voroquarn
