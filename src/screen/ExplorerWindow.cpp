#include "screen/ExplorerWindow.h"

#include <QExposeEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QResizeEvent>
#include <array>
#include <cmath>
#include <utility>

#include "diagram/makeSites.h"

namespace voroquarn {

namespace {

// How long a line said stays at the foot of the picture.
constexpr int SAYING_MS = 6000;

// The smallest picture: room for a few sites and the line said.
constexpr QSize LEAST_SIZE(160, 120);

// Room around text in its box, and between the box and the window's edge.
constexpr int PADDING = 8;

// The keys and mouse actions, as the help lists them.
constexpr std::array<std::pair<const char*, const char*>, 17> HELP = {{
    {"Drag a site", "move it"},
    {"Wheel over a site, + or -", "its weight times or divided by 1.1"},
    {"Enter, double-click a site", "type its weight"},
    {"Click on empty ground", "a new site, as heavy as the nearest"},
    {"Right click, Delete", "remove the site under the pointer"},
    {"Ctrl+wheel, wheel on empty ground", "zoom about the pointer"},
    {"Middle drag, space+drag", "move the view"},
    {"Home", "the view at start"},
    {"Ctrl+Z", "undo"},
    {"Ctrl+Shift+Z, Ctrl+Y", "redo"},
    {"Ctrl+S", "save a PNG and the sites in the picture folder"},
    {"Ctrl+E", "save an SVG and the sites in the picture folder"},
    {"Ctrl+R", "bring back the sites left unsaved at a close"},
    {"F11", "full screen, or back"},
    {"F1, ?", "this help, or away with it"},
    {"Escape", "away with the help, then close"},
    {"q, Ctrl+Q, Ctrl+W", "close, keeping unsaved sites"},
}};

const QColor PANEL(0, 0, 0, 200);
const QColor STATUS_BACK(48, 48, 48);
const QColor HOVERED(255, 200, 0);
const QColor SELECTED(0, 190, 255);

// The ring around the site under the pointer, and the selected site's circle.
constexpr double HOVER_RADIUS = MARKER_RADIUS + 3;
constexpr double HOVER_PEN = 1.5;
constexpr double SELECTED_RADIUS = MARKER_RADIUS + 0.5;
constexpr double SELECTED_PEN = 2;
constexpr int MARK_REACH = 10;  // from a site to the edge of what is drawn around it

// The text's width in whole pixels, as it is drawn.
int widthOf(const QString& text)
{
    return static_cast<int>(std::ceil(QFontMetricsF(QGuiApplication::font()).horizontalAdvance(text)));
}

// The text as it fits in `room` pixels: whole where there is room, else shortened.
QString fitted(const QString& text, int room, Qt::TextElideMode mode)
{
    return widthOf(text) <= room ? text : QFontMetricsF(QGuiApplication::font()).elidedText(text, mode, room);
}

QPointF centreOf(PlanePoint at) { return {at.x + 0.5, at.y + 0.5}; }

}  // namespace

ExplorerWindow::ExplorerWindow(QSize picture, const ExplorerLook& look)
    : backingStore_(this),
      worker_(look,
              [this] {
                  // In the worker's thread: the window shows it in its own.
                  QMetaObject::invokeMethod(
                      this,
                      [this] {
                          pictureDue_ = false;
                          showChanges(std::exchange(waiting_, {}));
                      },
                      Qt::QueuedConnection);
              })
{
    setSurfaceType(QSurface::RasterSurface);
    setTitle(QStringLiteral("Quarn Voronoi diagram"));
    const QSize status(0, statusHeight());
    setMinimumSize(LEAST_SIZE + status);
    resize(picture.expandedTo(LEAST_SIZE) + status);
    worker_.resize(this->pictureSize());
    sayingTimer_.setSingleShot(true);
    QObject::connect(&sayingTimer_, &QTimer::timeout, this, [this] {
        const QRect was = sayingBox();
        saying_.clear();
        showOver(was);
    });
}

ExplorerWindow::~ExplorerWindow() = default;

int ExplorerWindow::statusHeight() const { return QFontMetrics(QGuiApplication::font()).height() + PADDING; }

QSize ExplorerWindow::pictureSize() const { return {width(), std::max(1, height() - statusHeight())}; }

void ExplorerWindow::showSites(const SiteArrays& shown, std::span<const std::uint32_t> ids)
{
    pictureDue_ = true;
    worker_.draw(shown, ids);
}

void ExplorerWindow::showMarks(std::optional<PlanePoint> hovered, std::optional<PlanePoint> selected)
{
    const auto same = [](const std::optional<PlanePoint>& a, const std::optional<PlanePoint>& b) {
        return a.has_value() == b.has_value() && (!a || (a->x == b->x && a->y == b->y));
    };
    if (same(hovered, hovered_) && same(selected, selected_)) {
        return;
    }
    QRegion changed = QRegion(markBox(hovered_)) + markBox(selected_);
    hovered_ = hovered;
    selected_ = selected;
    showOver(changed + markBox(hovered_) + markBox(selected_));
}

void ExplorerWindow::showEntry(const std::optional<WeightEntry>& entry)
{
    const QRect was = entryBox();
    entry_ = entry;
    showOver(QRegion(was) + entryBox());
}

void ExplorerWindow::showStatus(const QString& note, const QString& status)
{
    if (note != note_ || status != status_) {
        note_ = note;
        status_ = status;
        showOver(statusBox());
    }
}

void ExplorerWindow::setHelpShown(bool shown)
{
    if (shown != helpShown_) {
        helpShown_ = shown;
        showOver(helpBox());
    }
}

void ExplorerWindow::say(const QString& line)
{
    const QRect was = sayingBox();
    saying_ = line;
    sayingTimer_.start(SAYING_MS);
    showOver(QRegion(was) + sayingBox());
}

void ExplorerWindow::toggleFullScreen()
{
    setWindowStates(windowStates() ^ Qt::WindowFullScreen);
}

void ExplorerWindow::exposeEvent(QExposeEvent* /*event*/)
{
    if (isExposed()) {
        showChanges(QRect(QPoint(0, 0), size()));
    }
}

void ExplorerWindow::resizeEvent(QResizeEvent* event)
{
    backingStore_.resize(event->size());
    worker_.resize(pictureSize());
}

void ExplorerWindow::showOver(const QRegion& region)
{
    if (pictureDue_) {
        waiting_ += region;
    } else {
        showChanges(region);
    }
}

void ExplorerWindow::showChanges(const QRegion& also)
{
    worker_.takeChanges([&](const QImage& picture, const QRegion& changed) { paint(picture, changed + also); });
}

void ExplorerWindow::paint(const QImage& picture, const QRegion& region)
{
    const QRegion inside = region & QRect(QPoint(0, 0), size());
    if (inside.isEmpty() || !isExposed()) {
        return;
    }
    if (backingStore_.size() != size()) {
        backingStore_.resize(size());
    }
    backingStore_.beginPaint(inside);
    QPainter painter(backingStore_.paintDevice());
    const QRect pictureRect(QPoint(0, 0), pictureSize());
    painter.setClipRegion(inside & pictureRect);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& rect : inside & pictureRect) {
        const QRect shown = rect & picture.rect();
        if (!shown.isEmpty()) {
            painter.drawImage(shown.topLeft(), picture, shown);
        }
        // Where the picture does not reach yet, after the window grew.
        for (const QRect& rest : QRegion(rect).subtracted(shown)) {
            painter.fillRect(rest, Qt::black);
        }
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setFont(QGuiApplication::font());
    if (inside.intersects(markBox(hovered_)) || inside.intersects(markBox(selected_))) {
        drawMarks(painter);
    }
    if (entry_ && inside.intersects(entryBox())) {
        drawEntry(painter);
    }
    if (helpShown_ && inside.intersects(helpBox())) {
        drawHelp(painter);
    }
    if (!saying_.isEmpty() && inside.intersects(sayingBox())) {
        drawSaying(painter);
    }
    if (inside.intersects(statusBox())) {
        painter.setClipRegion(inside & statusBox());
        drawStatus(painter);
    }
    painter.end();
    backingStore_.endPaint();
    backingStore_.flush(inside);
}

QRect ExplorerWindow::markBox(const std::optional<PlanePoint>& at) const
{
    // Sites far beyond the picture have nothing drawn around them anywhere near it.
    constexpr double FAR = 1e6;
    if (!at || std::abs(at->x) > FAR || std::abs(at->y) > FAR) {
        return {};
    }
    const QPoint centre(static_cast<int>(std::floor(at->x + 0.5)), static_cast<int>(std::floor(at->y + 0.5)));
    return {centre - QPoint(MARK_REACH, MARK_REACH), QSize(2 * MARK_REACH + 1, 2 * MARK_REACH + 1)};
}

void ExplorerWindow::drawMarks(QPainter& painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (!markBox(selected_).isEmpty()) {
        painter.setPen(QPen(SELECTED, SELECTED_PEN));
        painter.drawEllipse(centreOf(*selected_), SELECTED_RADIUS, SELECTED_RADIUS);
    }
    if (!markBox(hovered_).isEmpty()) {
        painter.setPen(QPen(HOVERED, HOVER_PEN));
        painter.drawEllipse(centreOf(*hovered_), HOVER_RADIUS, HOVER_RADIUS);
    }
    painter.restore();
}

QRect ExplorerWindow::entryBox() const
{
    if (!entry_) {
        return {};
    }
    const QFontMetrics metrics(QGuiApplication::font());
    // Room for a weight's digits and the caret, whatever is typed so far.
    const QSize box(std::max(widthOf(entry_->text), widthOf(QStringLiteral("0000000"))) + 2 * PADDING,
                    metrics.height() + PADDING / 2);
    const int left = static_cast<int>(std::lround(entry_->at.x)) + MARK_REACH;
    const int top = static_cast<int>(std::lround(entry_->at.y)) - box.height() / 2;
    const QSize picture = pictureSize();
    return {QPoint(std::clamp(left, 0, std::max(0, picture.width() - box.width())),
                   std::clamp(top, 0, std::max(0, picture.height() - box.height()))),
            box};
}

void ExplorerWindow::drawEntry(QPainter& painter) const
{
    const QRect box = entryBox();
    painter.fillRect(box, PANEL);
    painter.setPen(SELECTED);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::white);
    const QRect text = box.adjusted(PADDING, 0, -PADDING / 2, 0);
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, entry_->text);
    // The caret after the text.
    const int caret = text.left() + widthOf(entry_->text) + 1;
    painter.drawLine(caret, box.top() + 3, caret, box.bottom() - 3);
}

QRect ExplorerWindow::helpBox() const
{
    const QFontMetrics metrics(QGuiApplication::font());
    int keys = 0;
    int actions = 0;
    for (const auto& [key, action] : HELP) {
        keys = std::max(keys, widthOf(QString::fromUtf8(key)));
        actions = std::max(actions, widthOf(QString::fromUtf8(action)));
    }
    const QSize box(keys + actions + 5 * PADDING, static_cast<int>(HELP.size()) * metrics.lineSpacing() + 2 * PADDING);
    const QSize picture = pictureSize();
    return {QPoint((picture.width() - box.width()) / 2, (picture.height() - box.height()) / 2), box};
}

void ExplorerWindow::drawHelp(QPainter& painter) const
{
    const QRect box = helpBox();
    const QFontMetrics metrics(QGuiApplication::font());
    int keys = 0;
    for (const auto& entry : HELP) {
        keys = std::max(keys, widthOf(QString::fromUtf8(entry.first)));
    }
    painter.fillRect(box, PANEL);
    painter.setPen(Qt::white);
    int y = box.top() + PADDING + metrics.ascent();
    for (const auto& [key, action] : HELP) {
        painter.drawText(box.left() + 2 * PADDING, y, QString::fromUtf8(key));
        painter.drawText(box.left() + 3 * PADDING + keys, y, QString::fromUtf8(action));
        y += metrics.lineSpacing();
    }
}

QRect ExplorerWindow::sayingBox() const
{
    if (saying_.isEmpty()) {
        return {};
    }
    const QSize picture = pictureSize();
    const int height = QFontMetrics(QGuiApplication::font()).height() + PADDING;
    const int width = widthOf(saying_) + 2 * PADDING;
    // Away from the edges where there is room, else across the whole picture.
    if (width <= picture.width() - 2 * PADDING) {
        return {PADDING, picture.height() - PADDING - height, width, height};
    }
    return {0, picture.height() - height, picture.width(), height};
}

void ExplorerWindow::drawSaying(QPainter& painter) const
{
    const QRect box = sayingBox();
    painter.fillRect(box, PANEL);
    painter.setPen(Qt::white);
    const QRect text = box.adjusted(PADDING, 0, -PADDING, 0);
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, fitted(saying_, text.width(), Qt::ElideMiddle));
}

QRect ExplorerWindow::statusBox() const
{
    const int top = pictureSize().height();
    return {0, top, width(), height() - top};
}

void ExplorerWindow::drawStatus(QPainter& painter) const
{
    const QRect box = statusBox();
    painter.fillRect(box, STATUS_BACK);
    painter.setPen(Qt::white);
    const QRect text = box.adjusted(PADDING, 0, -PADDING, 0);
    const QString note = fitted(note_, text.width(), Qt::ElideRight);
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, note);
    const int room = text.width() - (note.isEmpty() ? 0 : widthOf(note) + 2 * PADDING);
    if (room > 0) {
        painter.drawText(text, Qt::AlignVCenter | Qt::AlignRight, fitted(status_, room, Qt::ElideMiddle));
    }
}

}  // namespace voroquarn
