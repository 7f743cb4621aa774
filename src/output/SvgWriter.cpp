#include "output/SvgWriter.h"

#include <QIODevice>
#include <QXmlStreamWriter>
#include "core/Progress.h"
#include "diagram/Diagram.h"
#include "output/Label.h"
#include "output/ShortestNumber.h"

namespace voroquarn {

namespace {

// The shortest text that reads back as the same value, of double or single precision.
template <class Real>
QString number(Real value)
{
    const ShortestNumber text(value);
    return QString::fromLatin1(text.view().data(), static_cast<qsizetype>(text.view().size()));
}

QString point(PlanePoint p) { return number(p.x) + QLatin1Char(' ') + number(p.y); }

QString colourName(Colour colour)
{
    const unsigned red = colour & 0xFFU;
    const unsigned green = (colour >> 8U) & 0xFFU;
    const unsigned blue = (colour >> 16U) & 0xFFU;
    return QStringLiteral("#%1").arg((red << 16U) | (green << 8U) | blue, 6, 16, QLatin1Char('0'));
}

// The path command from a piece's start to its end: for an arc, the arc command along
// growing angles, which with y down is SVG's positive sweep.
QString pieceCommand(const BoundaryPiece& piece)
{
    QString d;
    if (piece.shape == BoundaryPiece::Shape::Arc) {
        const QString radius = number(piece.radius);
        d = QStringLiteral(" A %1 %1 0 %2 1 ").arg(radius, piece.largeArc() ? QStringLiteral("1") : QStringLiteral("0"));
    } else {
        d = QStringLiteral(" L ");
    }
    return d + point(piece.end);
}

// The path command along a region's part, from its first point to its last.
QString partCommand(const RegionPart& part)
{
    if (!part.reversed) {
        return pieceCommand(part.piece);
    }
    const BoundaryPiece& piece = part.piece;
    if (piece.shape == BoundaryPiece::Shape::Arc) {
        return QStringLiteral(" A %1 %1 0 %2 0 ").arg(number(piece.radius), piece.largeArc() ? QStringLiteral("1") : QStringLiteral("0")) +
               point(piece.start);
    }
    return QStringLiteral(" L ") + point(piece.start);
}

// One piece as path data.
QString pathData(const BoundaryPiece& piece) { return QStringLiteral("M ") + point(piece.start) + pieceCommand(piece); }

// Starts a group in the program's pixel coordinates: the program puts a pixel's centre
// at whole coordinates, SVG its top-left corner.
void startPixelCentredGroup(QXmlStreamWriter& xml)
{
    xml.writeStartElement(QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("transform"), QStringLiteral("translate(0.5 0.5)"));
}

// A closed loop of pieces end to end as path data.
QString loopData(const std::vector<BoundaryPiece>& loop)
{
    QString d = QStringLiteral("M ") + point(loop.front().start);
    for (const BoundaryPiece& piece : loop) {
        d += pieceCommand(piece);
    }
    return d + QStringLiteral(" Z");
}

// The regions of a patch, each the patch's rectangle in its site's colour clipped by
// one group for every cut: the lighter side of a pair's bisector, or what lies outside
// of it (a rectangle around the side and the side together, even-odd).
void writePatch(QXmlStreamWriter& xml, const RegionPatch& patch, std::size_t number_)
{
    const ClipArea around = grown(patch.sideArea, 1);
    const QString aroundData = QStringLiteral("M %1 %2 L %3 %2 L %3 %4 L %1 %4 Z")
                                   .arg(number(around.left), number(around.top), number(around.right), number(around.bottom));
    const auto clipId = [&](std::size_t side, bool outside) {
        return (outside ? QStringLiteral("p%1outside%2") : QStringLiteral("p%1side%2")).arg(number_).arg(side);
    };
    if (!patch.sides.empty()) {
        xml.writeStartElement(QStringLiteral("defs"));
        for (std::size_t n = 0; n < patch.sides.size(); ++n) {
            const BisectorSide& side = patch.sides[n];
            if (side.extent != BisectorSide::Extent::Outline) {
                continue;
            }
            QString d;
            for (const auto& loop : side.loops) {
                d += (d.isEmpty() ? QString() : QStringLiteral(" ")) + loopData(loop);
            }
            for (const bool outside : {false, true}) {
                xml.writeStartElement(QStringLiteral("clipPath"));
                xml.writeAttribute(QStringLiteral("id"), clipId(n, outside));
                xml.writeEmptyElement(QStringLiteral("path"));
                xml.writeAttribute(QStringLiteral("d"), outside ? aroundData + QLatin1Char(' ') + d : d);
                if (outside) {
                    xml.writeAttribute(QStringLiteral("clip-rule"), QStringLiteral("evenodd"));
                }
                xml.writeEndElement();
            }
        }
        xml.writeEndElement();
    }
    const int N = static_cast<int>(patch.colours.size());
    for (int k = 1; k <= N; ++k) {
        const auto cuts = regionCuts(patch.sides, N, k);
        if (!cuts) {
            continue;
        }
        for (const RegionCut& cut : *cuts) {
            xml.writeStartElement(QStringLiteral("g"));
            xml.writeAttribute(QStringLiteral("clip-path"), QStringLiteral("url(#%1)").arg(clipId(cut.side, cut.outside)));
        }
        xml.writeEmptyElement(QStringLiteral("rect"));
        xml.writeAttribute(QStringLiteral("x"), number(patch.rect.left));
        xml.writeAttribute(QStringLiteral("y"), number(patch.rect.top));
        xml.writeAttribute(QStringLiteral("width"), number(patch.rect.right - patch.rect.left));
        xml.writeAttribute(QStringLiteral("height"), number(patch.rect.bottom - patch.rect.top));
        xml.writeAttribute(QStringLiteral("fill"), colourName(patch.colours[static_cast<std::size_t>(k - 1)]));
        for (std::size_t n = 0; n < cuts->size(); ++n) {
            xml.writeEndElement();
        }
    }
}

// A region as one path of its loops, in its colour.
void writeOutline(QXmlStreamWriter& xml, const RegionOutline& outline)
{
    QString d;
    std::size_t first = 0;
    for (const std::uint32_t end : outline.loopEnds) {
        d += (first == 0 ? QStringLiteral("M ") : QStringLiteral(" M ")) + point(outline.parts[first].from());
        for (std::size_t p = first; p < end; ++p) {
            d += partCommand(outline.parts[p]);
        }
        d += QStringLiteral(" Z");
        first = end;
    }
    xml.writeEmptyElement(QStringLiteral("path"));
    xml.writeAttribute(QStringLiteral("d"), d);
    xml.writeAttribute(QStringLiteral("fill"), colourName(outline.colour));
}

void writeRegions(QXmlStreamWriter& xml, const Diagram& diagram, ItemsDone& written)
{
    if (diagram.regions.empty() && diagram.outlines.empty()) {
        return;
    }
    startPixelCentredGroup(xml);
    for (std::size_t n = 0; n < diagram.regions.size(); ++n) {
        ++written;
        writePatch(xml, diagram.regions[n], n);
    }
    for (const RegionOutline& outline : diagram.outlines) {
        ++written;
        writeOutline(xml, outline);
    }
    xml.writeEndElement();
}

void writeMarkers(QXmlStreamWriter& xml, const Diagram& diagram, ItemsDone& written)
{
    for (const DiagramMarker& marker : diagram.markers) {
        ++written;
        const bool dot = diagram.style.dotRadius > 0;
        const bool round = dot || marker.rx == marker.ry;
        xml.writeEmptyElement(round ? QStringLiteral("circle") : QStringLiteral("ellipse"));
        xml.writeAttribute(QStringLiteral("cx"), number(marker.x));
        xml.writeAttribute(QStringLiteral("cy"), number(marker.y));
        if (dot) {
            xml.writeAttribute(QStringLiteral("r"), number(diagram.style.dotRadius));
            xml.writeAttribute(QStringLiteral("fill"), colourName(WHITE));
            xml.writeAttribute(QStringLiteral("stroke"), QStringLiteral("none"));
        } else if (round) {
            xml.writeAttribute(QStringLiteral("r"), number(marker.rx));
        } else {
            xml.writeAttribute(QStringLiteral("rx"), number(marker.rx));
            xml.writeAttribute(QStringLiteral("ry"), number(marker.ry));
        }
    }
}

void writeLabels(QXmlStreamWriter& xml, const Diagram& diagram, ItemsDone& written)
{
    if (!diagram.style.labels || diagram.labels.empty()) {
        return;
    }
    // Outside the group of the half-pixel shift: the picture prints its labels as Qt
    // places text, with a pixel's corner at whole coordinates, as SVG does.
    const LabelFace face = labelFace();
    xml.writeStartElement(QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("font-family"), QStringLiteral("sans-serif"));
    xml.writeAttribute(QStringLiteral("font-size"), QString::number(face.pixelSize));
    xml.writeAttribute(QStringLiteral("fill"), colourName(WHITE));
    for (const DiagramLabel& label : diagram.labels) {
        ++written;
        xml.writeStartElement(QStringLiteral("text"));
        xml.writeAttribute(QStringLiteral("x"), number(label.x));
        xml.writeAttribute(QStringLiteral("y"), number(label.y + static_cast<float>(face.ascent)));
        xml.writeCharacters(labelText(label.value));
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

}  // namespace

bool writeSvg(const Diagram& diagram, QIODevice& device, Progress* progress)
{
    ItemsDone written(progress, RunPhase::Writing,
                      diagram.regions.size() + diagram.outlines.size() + diagram.markers.size() +
                          (diagram.style.labels ? diagram.labels.size() : 0) + diagram.pieces.size());
    QXmlStreamWriter xml(&device);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("svg"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    const QString width = QString::number(diagram.width);
    const QString height = QString::number(diagram.height);
    xml.writeAttribute(QStringLiteral("width"), width);
    xml.writeAttribute(QStringLiteral("height"), height);
    xml.writeAttribute(QStringLiteral("viewBox"), QStringLiteral("0 0 %1 %2").arg(width, height));
    xml.writeTextElement(QStringLiteral("title"), QStringLiteral("Weighted Voronoi diagram"));

    xml.writeEmptyElement(QStringLiteral("rect"));
    xml.writeAttribute(QStringLiteral("width"), width);
    xml.writeAttribute(QStringLiteral("height"), height);
    xml.writeAttribute(QStringLiteral("fill"), colourName(BLACK));
    writeRegions(xml, diagram, written);

    startPixelCentredGroup(xml);
    xml.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
    xml.writeAttribute(QStringLiteral("stroke"), colourName(WHITE));
    xml.writeAttribute(QStringLiteral("stroke-width"), number(diagram.style.lineWidth));
    xml.writeAttribute(QStringLiteral("stroke-linecap"), QStringLiteral("round"));
    xml.writeAttribute(QStringLiteral("stroke-linejoin"), QStringLiteral("round"));
    writeMarkers(xml, diagram, written);
    for (const BoundaryPiece& piece : diagram.pieces) {
        ++written;
        xml.writeEmptyElement(QStringLiteral("path"));
        xml.writeAttribute(QStringLiteral("d"), pathData(piece));
    }
    xml.writeEndElement();
    writeLabels(xml, diagram, written);

    xml.writeEndElement();
    xml.writeEndDocument();
    return !xml.hasError();
}

}  // namespace voroquarn
