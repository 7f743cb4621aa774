#include "screen/ExplorerPicture.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "diagram/RegionColours.h"
#include "diagram/makeSites.h"
#include "output/Label.h"
#include "output/PiecePath.h"
#include "output/Rgb.h"

namespace voroquarn {

namespace {

// How far a smooth line of one pixel reaches beyond its exact place: the pixels to draw
// again around a piece.
constexpr int SMOOTH_REACH = 2;

// A marker's stamp: a square this wide with the circle's centre near its middle.
constexpr int STAMP_SIDE = 12;
constexpr int STAMP_CENTRE = 6;
constexpr int QUARTERS = 4;

// Sites farther out than this have no marker or label anywhere near the picture.
constexpr double FAR_OUT = 1e7;

// The tiles are laid out anew once the sites have grown or shrunk this much in number.
constexpr std::int32_t RETILE_FACTOR = 2;

}  // namespace

ExplorerPicture::ExplorerPicture(const ExplorerLook& look) : look_(look)
{
    const LabelFace face = labelFace();
    font_ = face.font;
    ascent_ = face.ascent;
    const QFontMetricsF metrics(font_);
    double digitWidth = 0;
    double digitsTop = metrics.ascent();
    for (const QChar digit : QStringLiteral("0123456789")) {
        digitWidth = std::max(digitWidth, metrics.horizontalAdvance(digit));
        digitsTop = std::min(digitsTop, metrics.ascent() + metrics.tightBoundingRect(digit).top());
    }
    // The marker's outline, half a pixel of smoothing and a quarter of a pixel off its
    // site at most; a label's stamp takes two pixels more than its digits' advance.
    sizes_ = {MARKER_RADIUS + 1.5, digitWidth, metrics.height() + 1, (digitsTop + ascent_) / 2, 3};
    // The marker as the run's circle, smooth, for each quarter of a pixel of its centre.
    for (int fy = 0; fy < QUARTERS; ++fy) {
        for (int fx = 0; fx < QUARTERS; ++fx) {
            QImage stamp(STAMP_SIDE + 1, STAMP_SIDE + 1, QImage::Format_ARGB32_Premultiplied);
            stamp.fill(Qt::transparent);
            QPainter painter(&stamp);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::white, 1));
            painter.drawEllipse(QPointF(STAMP_CENTRE + static_cast<double>(fx) / QUARTERS,
                                        STAMP_CENTRE + static_cast<double>(fy) / QUARTERS),
                                MARKER_RADIUS, MARKER_RADIUS);
            painter.end();
            markers_.push_back(std::move(stamp));
        }
    }
}

QRegion ExplorerPicture::update(const SiteArrays& placed, std::span<const std::uint32_t> ids, QSize size)
{
    QRegion changed;
    const bool retile = diagram_ && (placed.N > tiledFor_ * RETILE_FACTOR || placed.N * RETILE_FACTOR < tiledFor_);
    if (!diagram_ || image_.size() != size || retile) {
        image_ = QImage(size, QImage::Format_RGB32);
        if (image_.isNull()) {
            diagram_.reset();
            return {};
        }
        newDiagram(size, placed.N);
        marks_.clear();
        colours_.clear();
        changed = QRect(QPoint(0, 0), size);
    }
    const std::vector<TiledDiagram::Tile>& tiles = diagram_->tiles();
    for (const std::size_t t : diagram_->update(placed, ids)) {
        const TiledDiagram::Tile& tile = tiles[t];
        changed += QRect(QPoint(tile.left, tile.top), QPoint(tile.right - 1, tile.bottom - 1))
                       .adjusted(-SMOOTH_REACH, -SMOOTH_REACH, SMOOTH_REACH, SMOOTH_REACH);
    }

    std::vector<Mark> marks = marksOf(placed, ids);
    marks_.resize(std::max(marks_.size(), marks.size()));
    marks.resize(marks_.size());
    for (std::size_t id = 0; id < marks.size(); ++id) {
        if (marks[id] != marks_[id]) {
            changed += markBox(marks_[id]);
            changed += markBox(marks[id]);
        }
    }
    marks_ = std::move(marks);
    order_.assign(ids.begin(), ids.end());
    if (look_.fill) {
        colour(changed);
    }
    changed &= QRect(QPoint(0, 0), size);
    draw(changed);
    return changed;
}

void ExplorerPicture::newDiagram(QSize size, std::int32_t sites)
{
    diagram_.emplace(size.width(), size.height(), TiledDiagram::sideFor(size.width(), size.height(), sites),
                     look_.fill);
    tiledFor_ = std::max(sites, 1);
}

std::vector<ExplorerPicture::Mark> ExplorerPicture::marksOf(const SiteArrays& placed,
                                                            std::span<const std::uint32_t> ids) const
{
    std::vector<LabelSpot> spots;
    if (look_.labels) {
        const ClipArea extent{-0.5, -0.5, image_.width() - 0.5, image_.height() - 0.5};
        spots = labelsBeside(placed, sizes_, look_.markers, extent);
    }
    std::vector<Mark> marks(ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end()) + std::size_t{1});
    for (std::size_t k = 0; k < ids.size(); ++k) {
        const LabelSpot spot = spots.empty() ? LabelSpot::None : spots[k];
        const PlanePoint at = spot == LabelSpot::None
                                  ? PlanePoint{0, 0}
                                  : labelCorner(spot, placed.x[k], placed.y[k], placed.w[k], sizes_);
        marks[ids[k]] = {placed.x[k], placed.y[k], placed.w[k], spot != LabelSpot::None, at, true};
    }
    return marks;
}

void ExplorerPicture::colour(QRegion& changed)
{
    const SiteArrays& sorted = diagram_->sorted();
    SiteArrays placed;
    for (const std::uint32_t id : order_) {
        const Mark& mark = marks_[id];
        placed.add(mark.x, mark.y, mark.w);
    }
    const std::vector<Colour> colours = sorted.N <= MAX_SITES
                                            ? regionColours(placed, sorted)
                                            : neighbourColours(placed, sorted, diagram_->neighbours());
    const std::span<const std::uint32_t> ids = diagram_->sortedIds();
    std::vector<bool> recoloured(marks_.size(), false);
    colours_.resize(marks_.size(), qRgb(0, 0, 0));
    bool any = false;
    for (std::size_t k = 0; k < ids.size(); ++k) {
        const QRgb rgb = toRgb(colours[k]);
        if (colours_[ids[k]] != rgb) {
            colours_[ids[k]] = rgb;
            recoloured[ids[k]] = true;
            any = true;
        }
    }
    if (!any) {
        return;
    }
    // A region in a new colour: the tiles where its site may be nearest.
    for (const TiledDiagram::Tile& tile : diagram_->tiles()) {
        if (std::any_of(tile.sites.begin(), tile.sites.end(), [&](std::uint32_t id) { return recoloured[id]; })) {
            changed += QRect(QPoint(tile.left, tile.top), QPoint(tile.right - 1, tile.bottom - 1));
        }
    }
}

QRect ExplorerPicture::markBox(const Mark& mark) const
{
    if (!mark.present || std::abs(mark.x) > FAR_OUT || std::abs(mark.y) > FAR_OUT) {
        return {};
    }
    QRect box;
    if (look_.markers) {
        const QPoint centre(static_cast<int>(std::floor(mark.x + 0.5)), static_cast<int>(std::floor(mark.y + 0.5)));
        box = QRect(centre - QPoint(STAMP_CENTRE, STAMP_CENTRE), QSize(STAMP_SIDE + 1, STAMP_SIDE + 1));
    }
    if (mark.label) {
        const QFontMetrics metrics(font_);
        const QString text = labelText(std::floor(static_cast<double>(mark.w)));
        box |= QRect(static_cast<int>(std::lround(mark.labelAt.x)), static_cast<int>(std::lround(mark.labelAt.y)),
                     metrics.horizontalAdvance(text) + 2, metrics.height() + 1);
    }
    return box;
}

void ExplorerPicture::draw(const QRegion& region)
{
    if (region.isEmpty()) {
        return;
    }
    for (const QRect& rect : region) {
        drawBackground(rect);
    }
    QPainter painter(&image_);
    painter.setClipRegion(region);

    // The pieces of every tile near the region, in the tiles' order, so that the pixels
    // come out as a drawing of the whole picture has them.
    std::vector<std::size_t> near;
    for (const QRect& rect : region) {
        const QRect grown = rect.adjusted(-SMOOTH_REACH, -SMOOTH_REACH, SMOOTH_REACH, SMOOTH_REACH);
        const std::vector<std::size_t> meeting =
            diagram_->tilesMeeting(grown.left(), grown.top(), grown.right() + 1, grown.bottom() + 1);
        near.insert(near.end(), meeting.begin(), meeting.end());
    }
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    const QRectF reach = QRectF(region.boundingRect()).adjusted(-SMOOTH_REACH, -SMOOTH_REACH, SMOOTH_REACH, SMOOTH_REACH);
    QPainterPath path;
    for (const std::size_t t : near) {
        for (const BoundaryPiece& piece : diagram_->tiles()[t].pieces) {
            const ClipArea b = piece.bounds();
            if (b.right + 0.5 >= reach.left() && b.left + 0.5 <= reach.right() && b.bottom + 0.5 >= reach.top() &&
                b.top + 0.5 <= reach.bottom()) {
                path.moveTo(piece.start.x, piece.start.y);
                appendPiece(path, piece);
            }
        }
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1));
    painter.translate(0.5, 0.5);
    painter.drawPath(path);
    painter.resetTransform();

    // Every marker, then the labels, in the sites' order.
    const QRect bounds = region.boundingRect();
    if (look_.markers) {
        for (const std::uint32_t id : order_) {
            const Mark& mark = marks_[id];
            if (std::abs(mark.x) > FAR_OUT || std::abs(mark.y) > FAR_OUT) {
                continue;
            }
            QPoint at;
            const QImage& stamp = markerStamp(mark.x, mark.y, at);
            if (bounds.intersects(QRect(at, stamp.size()))) {
                painter.drawImage(at, stamp);
            }
        }
    }
    for (const std::uint32_t id : order_) {
        const Mark& mark = marks_[id];
        if (!mark.label || std::abs(mark.x) > FAR_OUT || std::abs(mark.y) > FAR_OUT) {
            continue;
        }
        const QPoint at(static_cast<int>(std::lround(mark.labelAt.x)), static_cast<int>(std::lround(mark.labelAt.y)));
        const QImage& stamp = labelStamp(mark.w);
        if (bounds.intersects(QRect(at, stamp.size()))) {
            painter.drawImage(at, stamp);
        }
    }
}

void ExplorerPicture::drawBackground(const QRect& rect)
{
    const std::span<const std::uint32_t> owners = diagram_->owners();
    const int width = image_.width();
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        if (owners.empty()) {
            std::fill(row + rect.left(), row + rect.right() + 1, qRgb(0, 0, 0));
            continue;
        }
        const std::uint32_t* owner = owners.data() + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const std::uint32_t id = owner[x];
            row[x] = id < colours_.size() ? colours_[id] : qRgb(0, 0, 0);
        }
    }
}

const QImage& ExplorerPicture::markerStamp(double x, double y, QPoint& at)
{
    // The centre in the image's coordinates, where a pixel's corner lies at whole numbers,
    // to the nearest quarter of a pixel below it.
    const double qx = std::floor((x + 0.5) * QUARTERS);
    const double qy = std::floor((y + 0.5) * QUARTERS);
    const int ix = static_cast<int>(std::floor(qx / QUARTERS));
    const int iy = static_cast<int>(std::floor(qy / QUARTERS));
    const int fx = static_cast<int>(qx) - ix * QUARTERS;
    const int fy = static_cast<int>(qy) - iy * QUARTERS;
    at = QPoint(ix - STAMP_CENTRE, iy - STAMP_CENTRE);
    return markers_[static_cast<std::size_t>(fy * QUARTERS + fx)];
}

const QImage& ExplorerPicture::labelStamp(float w)
{
    const double value = std::floor(static_cast<double>(w));
    // Labels come and go with the weights; the few in use are kept.
    constexpr std::size_t MOST_KEPT = 4096;
    if (labels_.size() > MOST_KEPT) {
        labels_.clear();
    }
    const QString text = labelText(value);
    auto found = labels_.find(text);
    if (found == labels_.end()) {
        const QFontMetrics metrics(font_);
        QImage stamp(metrics.horizontalAdvance(text) + 2, metrics.height() + 1, QImage::Format_ARGB32_Premultiplied);
        stamp.fill(Qt::transparent);
        QPainter painter(&stamp);
        painter.setFont(font_);
        painter.setPen(Qt::white);
        painter.drawText(QPointF(0, ascent_), text);
        painter.end();
        found = labels_.emplace(text, std::move(stamp)).first;
    }
    return found->second;
}

}  // namespace voroquarn
