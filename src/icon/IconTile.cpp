#include "icon/IconTile.h"

#include <QIODevice>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>

namespace voroquarn {

int IconTile::margin(int side) { return std::max(1, static_cast<int>(std::lround(side * MARGIN))); }

QPainterPath IconTile::path(int side)
{
    const int inset = margin(side);
    QPainterPath tile;
    tile.addRoundedRect(inset, inset, side - 2 * inset, side - 2 * inset, side * CORNER, side * CORNER);
    return tile;
}

QString clipSvgToTile(QIODevice& picture, int side, QIODevice& output)
{
    QXmlStreamReader reader(&picture);
    QXmlStreamWriter writer(&output);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(1);
    const auto write = [](double value) { return QString::number(value); };
    int depth = 0;
    while (reader.readNext() != QXmlStreamReader::EndDocument && !reader.hasError()) {
        switch (reader.tokenType()) {
        case QXmlStreamReader::StartDocument:
            writer.writeStartDocument();
            break;
        case QXmlStreamReader::StartElement:
            // Every element is SVG's, the default namespace of the root.
            writer.writeStartElement(reader.name().toString());
            if (depth++ == 0) {
                writer.writeDefaultNamespace(reader.namespaceUri().toString());
            }
            writer.writeAttributes(reader.attributes());
            if (depth == 1) {
                const int margin = IconTile::margin(side);
                writer.writeStartElement(QStringLiteral("clipPath"));
                writer.writeAttribute(QStringLiteral("id"), QStringLiteral("tile"));
                writer.writeEmptyElement(QStringLiteral("rect"));
                writer.writeAttribute(QStringLiteral("x"), write(margin));
                writer.writeAttribute(QStringLiteral("y"), write(margin));
                writer.writeAttribute(QStringLiteral("width"), write(side - 2 * margin));
                writer.writeAttribute(QStringLiteral("height"), write(side - 2 * margin));
                writer.writeAttribute(QStringLiteral("rx"), write(side * IconTile::CORNER));
                writer.writeEndElement();
                writer.writeStartElement(QStringLiteral("g"));
                writer.writeAttribute(QStringLiteral("clip-path"), QStringLiteral("url(#tile)"));
            }
            break;
        case QXmlStreamReader::EndElement:
            if (--depth == 0) {
                writer.writeEndElement();  // the clipped group
            }
            writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (!reader.isWhitespace()) {  // the writer lays the document out itself
                writer.writeCharacters(reader.text().toString());
            }
            break;
        default:
            break;
        }
    }
    writer.writeEndDocument();
    if (reader.hasError()) {
        return reader.errorString();
    }
    return writer.hasError() ? output.errorString() : QString();
}

}  // namespace voroquarn
