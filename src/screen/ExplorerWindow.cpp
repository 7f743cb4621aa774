#include "screen/ExplorerWindow.h"

#include <QExposeEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QResizeEvent>
#include <array>
#include <utility>

namespace voroquarn {

namespace {

// How long a line said stays at the foot of the window.
constexpr int SAYING_MS = 6000;

// The smallest window: room for a few sites and the line said.
constexpr QSize LEAST_SIZE(160, 120);

// Room around text in its box, and between the box and the window's edge.
constexpr int PADDING = 8;

// The keys and mouse actions, as the help lists them.
constexpr std::array<std::pair<const char*, const char*>, 12> HELP = {{
    {"Drag a site", "move it"},
    {"Wheel over a site, + or -", "its weight times or divided by 1.1"},
    {"Click on empty ground", "a new site, as heavy as the nearest"},
    {"Right click, Delete", "remove the site under the pointer"},
    {"Ctrl+Z", "undo"},
    {"Ctrl+Shift+Z, Ctrl+Y", "redo"},
    {"Ctrl+S", "save a PNG and the sites in the picture folder"},
    {"Ctrl+E", "save an SVG and the sites in the picture folder"},
    {"F11", "full screen, or back"},
    {"F1, ?", "this help, or away with it"},
    {"Escape", "away with the help, then close"},
    {"q, Ctrl+Q, Ctrl+W", "close"},
}};

const QColor PANEL(0, 0, 0, 200);

}  // namespace

ExplorerWindow::ExplorerWindow(QSize size, const ExplorerLook& look)
    : backingStore_(this),
      worker_(look,
              [this] {
                  // In the worker's thread: the window shows it in its own.
                  QMetaObject::invokeMethod(this, [this] { showChanges(); }, Qt::QueuedConnection);
              })
{
    setSurfaceType(QSurface::RasterSurface);
    setTitle(QStringLiteral("Quarn Voronoi diagram"));
    setMinimumSize(LEAST_SIZE);
    resize(size.expandedTo(LEAST_SIZE));
    worker_.resize(this->size());
    sayingTimer_.setSingleShot(true);
    QObject::connect(&sayingTimer_, &QTimer::timeout, this, [this] {
        const QRect was = sayingBox();
        saying_.clear();
        showChanges(was);
    });
}

ExplorerWindow::~ExplorerWindow() = default;

void ExplorerWindow::showSites(const SiteArrays& placed, std::span<const std::uint32_t> ids)
{
    worker_.draw(placed, ids);
}

void ExplorerWindow::setHelpShown(bool shown)
{
    if (shown != helpShown_) {
        helpShown_ = shown;
        showChanges(helpBox());
    }
}

void ExplorerWindow::say(const QString& line)
{
    const QRect was = sayingBox();
    saying_ = line;
    sayingTimer_.start(SAYING_MS);
    showChanges(QRegion(was) + sayingBox());
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
    worker_.resize(event->size());
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
    painter.setClipRegion(inside);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& rect : inside) {
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
    if (helpShown_ && inside.intersects(helpBox())) {
        drawHelp(painter);
    }
    if (!saying_.isEmpty() && inside.intersects(sayingBox())) {
        drawSaying(painter);
    }
    painter.end();
    backingStore_.endPaint();
    backingStore_.flush(inside);
}

QRect ExplorerWindow::helpBox() const
{
    const QFontMetrics metrics(QGuiApplication::font());
    int keys = 0;
    int actions = 0;
    for (const auto& [key, action] : HELP) {
        keys = std::max(keys, metrics.horizontalAdvance(QString::fromUtf8(key)));
        actions = std::max(actions, metrics.horizontalAdvance(QString::fromUtf8(action)));
    }
    const QSize box(keys + actions + 5 * PADDING, static_cast<int>(HELP.size()) * metrics.lineSpacing() + 2 * PADDING);
    return {QPoint((width() - box.width()) / 2, (height() - box.height()) / 2), box};
}

void ExplorerWindow::drawHelp(QPainter& painter) const
{
    const QRect box = helpBox();
    const QFontMetrics metrics(QGuiApplication::font());
    int keys = 0;
    for (const auto& entry : HELP) {
        keys = std::max(keys, metrics.horizontalAdvance(QString::fromUtf8(entry.first)));
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
    const QFontMetrics metrics(QGuiApplication::font());
    const int width = std::min(metrics.horizontalAdvance(saying_) + 2 * PADDING, this->width() - 2 * PADDING);
    const int height = metrics.height() + PADDING;
    return {PADDING, this->height() - PADDING - height, width, height};
}

void ExplorerWindow::drawSaying(QPainter& painter) const
{
    const QRect box = sayingBox();
    painter.fillRect(box, PANEL);
    painter.setPen(Qt::white);
    const QFontMetrics metrics(QGuiApplication::font());
    painter.drawText(box.adjusted(PADDING, 0, -PADDING, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     metrics.elidedText(saying_, Qt::ElideMiddle, box.width() - 2 * PADDING));
}

}  // namespace voroquarn
