#include "screen/DiagramWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QExposeEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/VectorState.h"

namespace voroquarn {

namespace {

// How long showWindow waits for the window system to put the window on screen.
constexpr int SHOW_TIMEOUT_MS = 5000;

// The largest size Qt gives a window: no limit.
constexpr int UNLIMITED_SIDE = (1 << 24) - 1;

// The time between two frames of the screen; 60 Hz where the screen does not say.
std::chrono::nanoseconds frameIntervalOf(const QScreen* screen)
{
    const qreal hertz = screen != nullptr ? screen->refreshRate() : 0;
    const qreal usable = hertz >= 1 && hertz <= 1000 ? hertz : 60;
    return std::chrono::nanoseconds(static_cast<std::int64_t>(1e9 / usable));
}

// How late keepResponsive may handle the window system's events.
constexpr std::chrono::microseconds EVENTS_INTERVAL{250};

// The most pixels converted for the screen at a time: 1 MiB of 32-bit colours.
constexpr int MAX_TILE_PIXELS = 256 * 1024;

}  // namespace

DiagramWindow::DiagramWindow(QSize drawingArea, WindowFit fit, bool labels)
    : PictureSurface(drawingArea), drawingArea_(drawingArea), fit_(fit), backingStore_(this), labelFontReady_(!labels)
{
    static_assert(BACK_COLOR == BLACK, "a new picture is black: blank_ starts true");
    setSurfaceType(QSurface::RasterSurface);
    setTitle(QStringLiteral("Quarn Voronoi diagram"));
    // Caption, menu and the three buttons are requested from the window manager.
    setFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(drawingArea);
    if (fit_ == WindowFit::Design) {
        // A fixed frame: the size cannot be dragged.
        setMinimumSize(drawingArea);
        setMaximumSize(drawingArea);
    }
    // The labels' font database loads meanwhile, while Qt's event loop starts up (the
    // accessibility bridge, which may wait milliseconds for a session bus) and the
    // window system maps the window.
    if (labels) {
        fontDatabase_ = std::async(std::launch::async, &PictureRaster::loadFontDatabase);
    }
}

DiagramWindow::~DiagramWindow() = default;

void DiagramWindow::showWindow()
{
    // Not show(): it would also take the window out of full screen.
    setVisible(true);
    frameInterval_ = frameIntervalOf(screen());
    if (!labelFontReady_) {
        // While the window system maps the window: the first label needs the font.
        PictureRaster::prepareLabelFont();
        labelFontReady_ = true;
    }
    if (isExposed() || closed_) {
        return;
    }
    // Mapping a window is asynchronous; wait, handling events, until it is on screen.
    QEventLoop loop;
    waitingForExpose_ = &loop;
    QTimer::singleShot(SHOW_TIMEOUT_MS, &loop, &QEventLoop::quit);
    loop.exec();
    waitingForExpose_ = nullptr;
}

void DiagramWindow::clear()
{
    raster().setMarkerScale(pictureRatio());
    if (blank_ && !raster().hasChanges() && backingStoreFilled_ && raster().size() == pictureSize()) {
        return;  // the window shows the background and nothing else already
    }
    raster().clearTo(pictureSize(), BACK_COLOR);
    raster().forgetChanges();
    putOnScreen(QRegion(QRect(QPoint(0, 0), pictureSize())));
    blank_ = true;
}

float DiagramWindow::outerWidth() const
{
    if (fit_ == WindowFit::Target) {
        return static_cast<float>(pictureSize().width());
    }
    return outerSize(width(), height()).width;
}

float DiagramWindow::outerHeight() const
{
    if (fit_ == WindowFit::Target) {
        return static_cast<float>(pictureSize().height());
    }
    return outerSize(width(), height()).height;
}

qreal DiagramWindow::pictureRatio() const
{
    return fit_ == WindowFit::Target ? devicePixelRatio() : 1.0;
}

QSize DiagramWindow::pictureSize() const
{
    const qreal ratio = pictureRatio();
    return ratio == 1 ? size() : QSize(qRound(width() * ratio), qRound(height() * ratio));
}

void DiagramWindow::toggleFullScreen()
{
    const bool design = fit_ == WindowFit::Design;
    if ((windowStates() & Qt::WindowFullScreen) != 0) {
        showNormal();
        if (design) {
            setMinimumSize(drawingArea_);
            setMaximumSize(drawingArea_);
        }
    } else {
        if (design) {
            setMinimumSize(QSize(0, 0));
            setMaximumSize(QSize(UNLIMITED_SIDE, UNLIMITED_SIDE));
        }
        showFullScreen();
    }
}

bool DiagramWindow::keepResponsive()
{
    // One clock reading serves both paces below.
    const auto now = std::chrono::steady_clock::now();
    const bool flush = raster().hasChanges() && now - lastFlush_ >= frameInterval_;
    // The window system's events are handled at most EVENTS_INTERVAL late: one pass of
    // Qt's event loop costs ten times a step of the drawing, and nobody can tell a
    // quarter of a millisecond.
    const bool events = now - lastEvents_ >= EVENTS_INTERVAL;
    if (!flush && !events) {
        return !closed_;
    }
    // Changed pixels go to the screen at most once per display frame: flushing more
    // often shows nobody anything more, and it is most of what a step costs.
    if (flush) {
        putChangesOnScreen();
        lastFlush_ = now;
    }
    if (events) {
        QCoreApplication::processEvents();
        lastEvents_ = std::chrono::steady_clock::now();
    }
    // The drawing's next step runs at full speed only with these cleared after the
    // library calls above; three times as fast on some machines.
    clearUpperVectorHalves();
    return !closed_;
}

void DiagramWindow::present()
{
    putChangesOnScreen();
    lastFlush_ = std::chrono::steady_clock::now();
}

void DiagramWindow::showOverlay(const QString& text)
{
    const QRect before = overlay_.box(pictureSize(), pictureRatio());
    overlay_.setText(text);
    putOnScreen(QRegion(before).united(overlay_.box(pictureSize(), pictureRatio())));
}

void DiagramWindow::fitRun(RunSettings& run) const
{
    if (fit_ == WindowFit::Target) {
        const qreal ratio = pictureRatio();
        const QRectF box = PictureRaster::markerBox(MARKER_RADIUS, ratio);
        run.margins = marginsHolding({box.left(), box.top(), box.right(), box.bottom()}, ratio);
        run.markSizes = PictureRaster::markSizes(MARKER_RADIUS, ratio);
    }
}

void DiagramWindow::exposeEvent(QExposeEvent* /*event*/)
{
    if (!isExposed()) {
        return;
    }
    if (backingStoreFilled_ && !closed_) {
        // The backing store holds the picture as last put on screen; the window system
        // only needs it again. Changes made since follow with the next frame's flush.
        backingStore_.flush(QRegion(QRect(QPoint(0, 0), size())));
    } else {
        putOnScreen(QRegion(QRect(QPoint(0, 0), pictureSize())));
    }
    if (waitingForExpose_ != nullptr) {
        waitingForExpose_->quit();
    }
}

void DiagramWindow::resizeEvent(QResizeEvent* event)
{
    // A window made larger (by a window manager that maximizes it anyway) keeps its
    // picture and gains background around it.
    raster().growTo(pictureSize(), BACK_COLOR);
    backingStore_.resize(event->size());
    backingStoreFilled_ = false;
}

void DiagramWindow::closeEvent(QCloseEvent* event)
{
    closed_ = true;
    if (waitingForExpose_ != nullptr) {
        waitingForExpose_->quit();
    }
    QWindow::closeEvent(event);
}

void DiagramWindow::putChangesOnScreen()
{
    if (!raster().hasChanges()) {
        return;
    }
    blank_ = false;
    QRegion region;
    raster().takeChanges([&](const QRect& rect) { region += rect; });
    putOnScreen(region);
    if (firstDrawn_ && isExposed() && !closed_) {
        std::exchange(firstDrawn_, {})();
    }
}

void DiagramWindow::putOnScreen(const QRegion& region)
{
    if (closed_ || !isExposed()) {
        // The backing store misses these changes now; an expose event repaints
        // everything once the window is visible again.
        backingStoreFilled_ = false;
        return;
    }
    if (backingStore_.size() != size()) {
        backingStore_.resize(size());
        backingStoreFilled_ = false;
    }
    // The backing store counts in the window's units, the picture in its own pixels.
    const qreal ratio = pictureRatio();
    QRegion inWindow;
    QRegion painted = region;
    if (ratio != 1) {
        // A window's unit covers several pixels of the picture, and the backing store may
        // clear all of what it is asked to paint (Wayland's does): every pixel of those
        // units is painted, not only the changed ones, or a row changed in one frame is
        // left cleared, black, when the next frame paints the row beside it.
        painted = QRegion();
        for (const QRect& rect : region) {
            const QRect unit = QRectF(rect.x() / ratio, rect.y() / ratio, rect.width() / ratio, rect.height() / ratio)
                                   .toAlignedRect();
            inWindow += unit;
            painted += QRectF(unit.x() * ratio, unit.y() * ratio, unit.width() * ratio, unit.height() * ratio)
                           .toAlignedRect();
        }
    } else {
        inWindow = region;
    }
    backingStore_.beginPaint(inWindow);
    QPaintDevice* device = backingStore_.paintDevice();
    if (writesStraight(device, ratio)) {
        // The backing store is a picture of 32-bit colours pixel for pixel like the
        // picture: the colours go straight into it, with no tile and no painter.
        auto* target = static_cast<QImage*>(device);
        for (const QRect& rect : region) {
            const QRect inside = rect & raster().rect() & target->rect();
            if (!inside.isEmpty()) {
                raster().copyRgb32(inside, *target, inside.topLeft());
            }
        }
        if (region.intersects(overlay_.box(pictureSize(), ratio))) {
            QPainter painter(target);
            overlay_.paint(painter, region, pictureSize(), ratio);
        }
        backingStore_.endPaint();
        backingStore_.flush(inWindow);
        noteFilled(inWindow);
        return;
    }
    QPainter painter(device);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (ratio != 1) {
        // Drawn pixel for pixel: the painter's scale by the device-pixel ratio is undone.
        painter.scale(1 / ratio, 1 / ratio);
    }
    for (const QRect& rect : painted) {
        drawPicture(painter, rect);
    }
    overlay_.paint(painter, painted, pictureSize(), pictureRatio());
    painter.end();
    backingStore_.endPaint();
    backingStore_.flush(inWindow);
    noteFilled(inWindow);
}

void DiagramWindow::noteFilled(const QRegion& inWindow)
{
    if (!backingStoreFilled_) {
        backingStoreFilled_ = QRegion(QRect(QPoint(0, 0), size())).subtracted(inWindow).isEmpty();
    }
}

bool DiagramWindow::writesStraight(const QPaintDevice* device, qreal ratio)
{
    const auto* image = dynamic_cast<const QImage*>(device);
    if (ratio != 1 || image == nullptr || image->devicePixelRatio() != 1) {
        return false;
    }
    const QImage::Format format = image->format();
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

void DiagramWindow::drawPicture(QPainter& painter, const QRect& rect)
{
    // The picture holds palette indices and the screen takes colours: each area is
    // converted through a tile of bounded size, band by band, so that repainting a large
    // window needs no second picture.
    const QRect inside = rect & raster().rect();
    const int rows = std::max(1, MAX_TILE_PIXELS / std::max(1, inside.width()));
    for (int top = inside.top(); top <= inside.bottom(); top += rows) {
        const QRect band(inside.left(), top, inside.width(), std::min(rows, inside.bottom() + 1 - top));
        if (screenTile_.width() < band.width() || screenTile_.height() < band.height()) {
            screenTile_ = QImage(band.size().expandedTo(screenTile_.size()), QImage::Format_RGB32);
            if (screenTile_.isNull()) {
                return;
            }
        }
        raster().copyRgb32(band, screenTile_, QPoint(0, 0));
        painter.drawImage(band.topLeft(), screenTile_, QRect(QPoint(0, 0), band.size()));
    }
}

}  // namespace voroquarn
