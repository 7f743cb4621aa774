// The picture as SVG and PDF: the program's own files, read back by real renderers,
// show the boundaries of its PNG.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "support/CommandRun.h"

namespace {

using voroquarn::testing::CommandResult;
using voroquarn::testing::runCommand;

// A grey level from which a renderer's smoothed pixel counts as part of a line, and the
// lower one from which it counts as near a line of the other picture.
constexpr int LINE = 128;
constexpr int NEAR_LINE = 64;

// Around each site, the box that its marker and label cover, left out of the
// comparison: the label's text is drawn by another font engine in each format.
constexpr int BOX_LEFT = 5;
constexpr int BOX_TOP = 5;
constexpr int BOX_RIGHT = 30;
constexpr int BOX_BOTTOM = 18;

struct Picture {
    QImage image;
    std::vector<QPointF> sites;

    bool inLabelBox(int x, int y) const
    {
        return std::any_of(sites.begin(), sites.end(), [&](QPointF s) {
            return x >= s.x() - BOX_LEFT && x <= s.x() + BOX_RIGHT && y >= s.y() - BOX_TOP && y <= s.y() + BOX_BOTTOM;
        });
    }
    int grey(int x, int y) const { return qGray(image.pixel(x, y)); }
    bool anyNear(int x, int y, int level) const
    {
        for (int v = std::max(0, y - 1); v <= std::min(image.height() - 1, y + 1); ++v) {
            for (int u = std::max(0, x - 1); u <= std::min(image.width() - 1, x + 1); ++u) {
                if (grey(u, v) >= level) {
                    return true;
                }
            }
        }
        return false;
    }
};

// The pixels of `a` at least `level` bright, outside the label boxes, that have no pixel
// of `b` at least `nearLevel` bright within a pixel; described, the first few.
QString strayPixels(const Picture& a, int level, const Picture& b, int nearLevel)
{
    int count = 0;
    QString first;
    for (int y = 0; y < a.image.height(); ++y) {
        for (int x = 0; x < a.image.width(); ++x) {
            if (a.grey(x, y) >= level && !a.inLabelBox(x, y) && !b.anyNear(x, y, nearLevel)) {
                if (++count <= 5) {
                    first += QStringLiteral(" (%1, %2)").arg(x).arg(y);
                }
            }
        }
    }
    return count == 0 ? QString() : QStringLiteral("%1 pixels:%2").arg(count).arg(first);
}

// Over the traced pixels outside the label boxes, the mean offset from each to the
// centre of the brightness of `drawn` within a pixel of it: about nothing when the
// drawn lines lie where the traced ones do, half a pixel when they are shifted by
// half a pixel.
QPointF meanOffset(const Picture& traced, const Picture& drawn)
{
    QPointF sum;
    int count = 0;
    for (int y = 1; y < traced.image.height() - 1; ++y) {
        for (int x = 1; x < traced.image.width() - 1; ++x) {
            if (traced.grey(x, y) < 255 || traced.inLabelBox(x, y)) {
                continue;
            }
            QPointF moment;
            double mass = 0;
            for (int v = -1; v <= 1; ++v) {
                for (int u = -1; u <= 1; ++u) {
                    const int g = drawn.grey(x + u, y + v);
                    moment += QPointF(u, v) * g;
                    mass += g;
                }
            }
            if (mass > 0) {
                sum += moment / mass;
                ++count;
            }
        }
    }
    return count > 0 ? sum / count : QPointF();
}

QByteArray head(const QString& path, int size)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

// A folder for the files of a test, and the vector files rendered as pictures by real
// renderers: the PDF by pdftoppm at 72 dots per inch (a point a pixel), the SVG by
// rsvg-convert.
class VectorOutput : public ::testing::Test {
protected:
    // A run of the program to compare in every format: its arguments, the name of its
    // files, and whether librsvg can render its SVG (see the flat case).
    struct Case {
        QStringList arguments;
        QString name;
        bool renderSvg = true;
    };

    QString path(const QString& name) const { return dir_.filePath(name); }
    QString siteFile(const QString& name, const QByteArray& sites) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(sites);
        return file.fileName();
    }
    // The PNGs that the PDF and, unless it is empty, the SVG render to, named after
    // `name`; empty on failure.
    QStringList rendered(const QString& name, const QString& pdf, const QString& svg) const
    {
        QStringList pictures{path(name + "-pdf.png")};
        if (runCommand("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf, path(name + "-pdf")}).status != 0) {
            return {};
        }
        if (!svg.isEmpty()) {
            pictures << path(name + "-svg.png");
            if (runCommand("rsvg-convert", {"-o", pictures.last(), svg}).status != 0) {
                return {};
            }
        }
        return pictures;
    }

private:
    QTemporaryDir dir_;
};

TEST_F(VectorOutput, SvgAndPdfShowThePngsBoundariesForSeedsAndSiteFiles)
{
    // Two weights 1e-3 apart, whose boundary is a circle of radius 2e5 px; two equal
    // weights, whose boundary is straight; and sites far outside the area.
    const QString sites = siteFile("sites.txt", "100 100 500\n400 300 500.5\n250 60 200\n520 420 700\n"
                                                "300 420 700\n-5000 200 900\n300 9000 800\n");
    // Weights one float apart: a circle of radius 3e9 px. librsvg places the ends of
    // arcs that large pixels off (it does so from 1e8 px on), so only the PDF is
    // rendered; the SVG's arcs are checked as text like all others.
    const QString flat = siteFile("flat.txt", "100 100 500\n400 300 500.00003\n250 60 200\n");
    // A site beyond single precision, whose marker the run puts at infinity.
    const QString beyond = siteFile("beyond.txt", "1e300 -1e300 5\n100 100 7\n300 200 9\n");

    const Case cases[] = {
        {{"--seed", "7"}, "seed7"},
        {{"--seed", "2026", "--size", "320x240"}, "seed2026"},
        {{"--seed", "31", "--size", "900x300"}, "seed31"},
        {{"--sites", sites}, "sites"},
        {{"--sites", flat}, "flat", false},
        {{"--sites", beyond}, "beyond"},
    };
    int arcs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        // The extension chooses the format, in any case.
        const QString png = path(c.name + ".png");
        const QString svg = path(c.name + ".Svg");
        const QString pdf = path(c.name + ".PDF");
        QString printed;
        for (const QString& output : {png, svg, pdf}) {
            const CommandResult run = runCommand(VOROQUARN_BINARY, c.arguments + QStringList{"--print-sites", "--output", output});
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            EXPECT_EQ(run.err, QString());
            // The same run's sites, whatever the format.
            EXPECT_TRUE(printed.isEmpty() || run.out == printed) << output.toStdString();
            printed = run.out;
        }
        EXPECT_EQ(head(png, 8), QByteArray("\x89PNG\r\n\x1a\n"));
        EXPECT_EQ(head(svg, 5), QByteArray("<?xml"));
        EXPECT_EQ(head(pdf, 5), QByteArray("%PDF-"));
        EXPECT_EQ(runCommand("xmllint", {"--noout", svg}).status, 0);

        // Arcs as arcs and straight pieces as lines: no curves, no polylines.
        QFile svgFile(svg);
        ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
        const QString document = QString::fromUtf8(svgFile.readAll());
        // Every number is finite: a renderer would make nothing of "inf".
        EXPECT_FALSE(QRegularExpression("\"-?(inf|nan)").match(document).hasMatch());
        const QRegularExpression pathData(" d=\"([^\"]*)\"");
        for (auto match = pathData.globalMatch(document); match.hasNext();) {
            const QString d = match.next().captured(1);
            EXPECT_TRUE(QRegularExpression("^M [-0-9.e+]+ [-0-9.e+]+ (L|A [-0-9.e+]+ [-0-9.e+]+ 0 [01] 1) [-0-9.e+]+ [-0-9.e+]+$")
                            .match(d)
                            .hasMatch())
                << d.toStdString();
            arcs += d.contains('A') ? 1 : 0;
        }

        const QStringList rendered = this->rendered(c.name, pdf, c.renderSvg ? svg : QString());
        ASSERT_FALSE(rendered.isEmpty()) << "the vector files did not render";

        Picture traced{QImage(png), {}};
        for (const QString& line : printed.split('\n', Qt::SkipEmptyParts)) {
            const QStringList xy = line.split(' ');
            traced.sites.emplace_back(xy[0].toDouble(), xy[1].toDouble());
        }
        for (const QString& picture : rendered) {
            SCOPED_TRACE(picture.toStdString());
            const Picture vector{QImage(picture), traced.sites};
            ASSERT_EQ(vector.image.size(), traced.image.size());
            // Every traced pixel lies within a pixel of a drawn line, and every drawn
            // line within a pixel of a traced one.
            EXPECT_EQ(strayPixels(traced, 255, vector, NEAR_LINE).toStdString(), "");
            EXPECT_EQ(strayPixels(vector, LINE, traced, 255).toStdString(), "");
            // And on the whole no shift between them.
            const QPointF offset = meanOffset(traced, vector);
            EXPECT_LT(std::abs(offset.x()) + std::abs(offset.y()), 0.2) << offset.x() << ", " << offset.y();
        }
    }
    EXPECT_GT(arcs, 4);
}

// Sites on a diagonal, each weighted by its distance from one point: every boundary is a
// circle through that point.
QByteArray pencil(int count)
{
    QByteArray text;
    for (int k = 1; k <= count; ++k) {
        text += QByteArray::number(300 + k) + ' ' + QByteArray::number(250 + k) + ' ' + QByteArray::number(k) + '\n';
    }
    return text;
}

// With --fill, the SVG and the PDF show the PNG's regions in the PNG's colours: every
// pixel away from the boundaries, markers and labels has the colour it has in the PNG,
// which has four bits a pixel.
TEST_F(VectorOutput, FilledSvgAndPdfShowThePngsRegions)
{
    const Case cases[] = {
        {{"--seed", "7"}, "seed7"},
        {{"--seed", "2026", "--size", "320x240"}, "seed2026"},
        // Weights 1e-3 apart, equal weights, sites far outside the area, a heavier site
        // at the place of another and a copy of a site.
        {{"--sites", siteFile("sites.txt", "100 100 500\n400 300 500.5\n250 60 200\n520 420 700\n300 420 700\n"
                                           "-5000 200 900\n300 9000 800\n250 60 300\n520 420 700\n")},
         "sites"},
        // Weights one float apart: a circle of radius 3e9 px, which librsvg does not place
        // exactly.
        {{"--sites", siteFile("flat.txt", "100 100 500\n400 300 500.00003\n250 60 200\n")}, "flat", false},
        // Many sites, each region filled by its own outline, and a crowd of circles
        // through one point.
        {{"--seed", "5", "--count", "100", "--no-labels"}, "many"},
        {{"--sites", siteFile("pencil.txt", pencil(60)), "--no-labels"}, "pencil"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        QString printed;
        for (const QString extension : {".png", ".svg", ".pdf"}) {
            const CommandResult run = runCommand(
                VOROQUARN_BINARY, c.arguments + QStringList{"--fill", "--print-sites", "--output", path(c.name + extension)});
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            printed = run.out;
        }
        EXPECT_EQ(head(path(c.name + ".png"), 26).mid(24), QByteArray("\x04\x03"));  // 4 bits, palette
        EXPECT_EQ(runCommand("xmllint", {"--noout", path(c.name + ".svg")}).status, 0);

        Picture png{QImage(path(c.name + ".png")).convertToFormat(QImage::Format_RGB32), {}};
        for (const QString& line : printed.split('\n', Qt::SkipEmptyParts)) {
            const QStringList xy = line.split(' ');
            png.sites.emplace_back(xy[0].toDouble(), xy[1].toDouble());
        }
        const QStringList rendered =
            this->rendered(c.name, path(c.name + ".pdf"), c.renderSvg ? path(c.name + ".svg") : QString());
        ASSERT_FALSE(rendered.isEmpty()) << "the vector files did not render";
        for (const QString& picture : rendered) {
            SCOPED_TRACE(picture.toStdString());
            const QImage vector = QImage(picture).convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(vector.size(), png.image.size());
            int compared = 0;
            int wrong = 0;
            QString first;
            for (int y = 0; y < vector.height(); ++y) {
                for (int x = 0; x < vector.width(); ++x) {
                    bool nearWhite = false;
                    for (int v = std::max(0, y - 2); v <= std::min(vector.height() - 1, y + 2) && !nearWhite; ++v) {
                        for (int u = std::max(0, x - 2); u <= std::min(vector.width() - 1, x + 2) && !nearWhite; ++u) {
                            nearWhite = png.image.pixel(u, v) == 0xFFFFFFFFU;
                        }
                    }
                    if (nearWhite || png.inLabelBox(x, y)) {
                        continue;
                    }
                    ++compared;
                    const QRgb a = png.image.pixel(x, y);
                    const QRgb b = vector.pixel(x, y);
                    const int apart = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                                std::abs(qBlue(a) - qBlue(b))});
                    if (apart > 3 && ++wrong <= 5) {
                        first += QStringLiteral(" (%1, %2): %3 for %4").arg(x).arg(y).arg(b, 0, 16).arg(a, 0, 16);
                    }
                }
            }
            EXPECT_GT(compared, png.image.width() * png.image.height() / 2);
            EXPECT_EQ(wrong, 0) << first.toStdString();
        }
    }
}

}  // namespace
