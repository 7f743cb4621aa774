#include "output/PdfWriter.h"

#include <QBuffer>
#include <QDateTime>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include "core/Progress.h"
#include "diagram/Diagram.h"
#include "output/Label.h"
#include "output/PiecePath.h"

namespace voroquarn {

namespace {

// A point, the unit of a PDF page, is 1/72 inch; the page gets a point for every pixel.
constexpr int POINTS_PER_INCH = 72;

// The last second whose date has a four-digit year: 9999-12-31 23:59:59 UTC.
constexpr qint64 LAST_FOUR_DIGIT_SECOND = 253402300799;

// When the document says it was made: at SOURCE_DATE_EPOCH, seconds since 1970 as
// reproducible builds give it, or else at 1970-01-01 00:00:00 UTC, so that the same
// sites always give the same bytes.
QDateTime creationDate()
{
    const QByteArray given = qgetenv("SOURCE_DATE_EPOCH");
    bool whole = false;
    const qint64 seconds = given.toLongLong(&whole);
    const bool usable = whole && !given.startsWith('+') && !given.startsWith('-') && seconds <= LAST_FOUR_DIGIT_SECOND;
    return QDateTime::fromSecsSinceEpoch(usable ? seconds : 0, Qt::UTC);
}

// Qt writes the time it made the document, with no way to set it: "/CreationDate
// (D:YYYYMMDDHHmmSS" and "Z)" or an offset, "+HH'mm')". That date is replaced by
// `date`, in UTC and in the same length, so that no offset in the file moves.
void setCreationDate(QByteArray& pdf, const QDateTime& date)
{
    const QByteArray key = "/CreationDate (D:";
    const qsizetype from = pdf.indexOf(key);
    const qsizetype end = from < 0 ? -1 : pdf.indexOf(')', from);
    if (end < 0) {
        return;
    }
    const qsizetype start = from + key.size();
    QByteArray written = date.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    written += end - start == written.size() + 1 ? "Z" : "+00'00'";
    if (written.size() == end - start) {
        pdf.replace(start, written.size(), written);
    }
}

QColor toColor(Colour colour)
{
    return {static_cast<int>(colour & 0xFFU), static_cast<int>((colour >> 8U) & 0xFFU),
            static_cast<int>((colour >> 16U) & 0xFFU)};
}

// The loops of a side's outline, closed, arcs as the boundaries' arcs.
QPainterPath outline(const BisectorSide& side)
{
    QPainterPath path;
    for (const auto& loop : side.loops) {
        path.moveTo(loop.front().start.x, loop.front().start.y);
        for (const BoundaryPiece& piece : loop) {
            appendPiece(path, piece);
        }
        path.closeSubpath();
    }
    return path;
}

// The regions of a patch, each the patch's rectangle in its site's colour clipped by
// every cut: the lighter side of a pair's bisector, or what lies outside of it (a
// rectangle around the side and the side together, even-odd).
void fillPatch(QPainter& painter, const RegionPatch& patch)
{
    const QRectF rect(QPointF(patch.rect.left, patch.rect.top), QPointF(patch.rect.right, patch.rect.bottom));
    const ClipArea around = grown(patch.sideArea, 1);
    const QRectF aroundRect(QPointF(around.left, around.top), QPointF(around.right, around.bottom));
    std::vector<QPainterPath> sides;
    for (const BisectorSide& side : patch.sides) {
        sides.push_back(outline(side));
    }
    const int N = static_cast<int>(patch.colours.size());
    for (int k = 1; k <= N; ++k) {
        const auto cuts = regionCuts(patch.sides, N, k);
        if (!cuts) {
            continue;
        }
        painter.save();
        for (const RegionCut& cut : *cuts) {
            QPainterPath clip;
            if (cut.outside) {
                clip.addRect(aroundRect);
                clip.addPath(sides[cut.side]);
                clip.setFillRule(Qt::OddEvenFill);
            } else {
                clip = sides[cut.side];
            }
            painter.setClipPath(clip, Qt::IntersectClip);
        }
        painter.fillRect(rect, toColor(patch.colours[static_cast<std::size_t>(k - 1)]));
        painter.restore();
    }
}

// A region by its loops, in its colour.
void fillOutline(QPainter& painter, const RegionOutline& outline)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    std::size_t first = 0;
    for (const std::uint32_t end : outline.loopEnds) {
        const PlanePoint start = outline.parts[first].from();
        path.moveTo(start.x, start.y);
        for (std::size_t p = first; p < end; ++p) {
            appendPart(path, outline.parts[p].piece, outline.parts[p].reversed);
        }
        path.closeSubpath();
        first = end;
    }
    painter.fillPath(path, toColor(outline.colour));
}

void drawMarkers(QPainter& painter, const Diagram& diagram)
{
    const double dot = diagram.style.dotRadius;
    if (dot > 0) {
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(toColor(WHITE));
    }
    for (const DiagramMarker& marker : diagram.markers) {
        const QPointF centre(marker.x, marker.y);
        if (dot > 0) {
            painter.drawEllipse(centre, dot, dot);
        } else {
            painter.drawEllipse(centre, marker.rx, marker.ry);
        }
    }
    if (dot > 0) {
        painter.restore();
    }
}

void drawLabels(QPainter& painter, const Diagram& diagram)
{
    if (!diagram.style.labels || diagram.labels.empty()) {
        return;
    }
    const LabelFace face = labelFace();
    painter.setFont(face.font);
    for (const DiagramLabel& label : diagram.labels) {
        painter.drawText(QPointF(label.x, static_cast<double>(label.y) + face.ascent), labelText(label.value));
    }
}

// Draws the document into `device`.
bool drawPdf(const Diagram& diagram, QIODevice& device)
{
    QPdfWriter pdf(&device);
    pdf.setCreator(QStringLiteral("voroquarn"));
    pdf.setTitle(QStringLiteral("Weighted Voronoi diagram"));
    pdf.setResolution(POINTS_PER_INCH);
    // A page size of the area itself, not a standard size near it.
    const QPageSize page(QSizeF(diagram.width, diagram.height), QPageSize::Point, QString(), QPageSize::ExactMatch);
    if (!pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF()))) {
        return false;
    }

    QPainter painter;
    if (!painter.begin(&pdf)) {
        return false;
    }
    painter.fillRect(QRectF(0, 0, diagram.width, diagram.height), toColor(BLACK));
    painter.setRenderHint(QPainter::Antialiasing);

    // The program puts a pixel's centre at whole coordinates, the page its corner.
    painter.translate(0.5, 0.5);
    for (const RegionPatch& patch : diagram.regions) {
        fillPatch(painter, patch);
    }
    for (const RegionOutline& outline : diagram.outlines) {
        fillOutline(painter, outline);
    }
    QPen pen(toColor(WHITE), diagram.style.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    drawMarkers(painter, diagram);
    painter.drawPath(piecesPath(diagram.pieces));
    // Labels as the picture prints them: as Qt places text, a pixel's corner at whole
    // coordinates.
    painter.translate(-0.5, -0.5);
    drawLabels(painter, diagram);
    return painter.end();
}

}  // namespace

bool writePdf(const Diagram& diagram, QIODevice& device, Progress* progress)
{
    report(progress, RunPhase::Writing, -1);
    // Qt's PDF writer does not say when its device refuses bytes: the document is made
    // in memory and written out at once, checked.
    QBuffer document;
    document.open(QIODevice::WriteOnly);
    if (!drawPdf(diagram, document)) {
        return false;
    }
    setCreationDate(document.buffer(), creationDate());
    return device.write(document.data()) == document.data().size();
}

}  // namespace voroquarn
