#pragma once

#include <QBackingStore>
#include <QWindow>
#include <chrono>
#include <functional>
#include <future>

#include "core/WindowMetrics.h"
#include "output/PictureSurface.h"
#include "screen/SessionWindow.h"
#include "screen/TextOverlay.h"

class QEventLoop;
class QPainter;

namespace voroquarn {

// How a window measures itself and its picture.
enum class WindowFit {
    // The design window: a drawing area of fixed size, reported as the outer size of a
    // window with the design frame around it; the picture in the window system's pixels.
    Design,
    // A window of any size, such as a full screen or another program's window: its size
    // is reported as it is, the picture is in the screen's device pixels, and markers
    // grow with the device-pixel ratio.
    Target,
};

// The program's window. Its picture lives in memory and is copied to the screen: at a
// yield the pixels changed since the last copy, at most once per display frame, and all
// of it whenever the window system asks for a repaint, so the picture survives being
// covered or minimised. A new diagram (clear) takes the window's size of the moment.
class DiagramWindow final : public QWindow, public PictureSurface, public SessionWindow {
public:
    // Without labels the window loads no fonts ahead of time.
    explicit DiagramWindow(QSize drawingArea = QSize(DESIGN_WIDTH, DESIGN_HEIGHT),
                          WindowFit fit = WindowFit::Design, bool labels = true);
    ~DiagramWindow() override;

    WindowFit fit() const { return fit_; }
    // The picture's pixels per unit of the window's size, which markers grow with: 1
    // for the design window, else the device-pixel ratio.
    qreal pictureRatio() const;
    // The size the picture takes, in its own pixels.
    QSize pictureSize() const;

    // Full screen, or back; a design window is free to change its size while full screen.
    void toggleFullScreen();

    void showWindow() override;
    void clear() override;
    float outerWidth() const override;
    float outerHeight() const override;
    bool keepResponsive() override;

    // Puts every change on screen now; for the end of a drawing, and before any wait.
    void present() override;

    DrawingSurface& surface() override { return *this; }
    // A window that fits its picture to its size (WindowFit::Target) gets sites whose
    // markers lie wholly inside it, and marks as large as its device pixels make them.
    void fitRun(RunSettings& run) const override;

    // Calls `then` once, as soon as the first drawing (the first markers) is on screen:
    // for work that the window needs but that should not keep its picture waiting.
    void whenFirstDrawn(std::function<void()> then) { firstDrawn_ = std::move(then); }

    bool isClosed() const { return closed_; }

    // Shows the text over the picture at the bottom left (TextOverlay); empty: nothing.
    void showOverlay(const QString& text);

protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Copies the region of the picture, in its own pixels, to the screen.
    void putOnScreen(const QRegion& region);
    void putChangesOnScreen();
    void drawPicture(QPainter& painter, const QRect& rect);
    // Whether the picture's colours may be written straight into the paint device: a
    // picture of 32-bit colours at the picture's own scale.
    static bool writesStraight(const QPaintDevice* device, qreal ratio);
    // Notes that the region, in the window's units, is in the backing store.
    void noteFilled(const QRegion& inWindow);

    QSize drawingArea_;
    WindowFit fit_;
    QBackingStore backingStore_;
    std::chrono::nanoseconds frameInterval_{0};
    std::chrono::steady_clock::time_point lastFlush_;
    std::chrono::steady_clock::time_point lastEvents_;
    QImage screenTile_;  // the colours of the area being put on screen, where a painter draws it
    QEventLoop* waitingForExpose_ = nullptr;
    bool closed_ = false;
    std::function<void()> firstDrawn_;
    TextOverlay overlay_;
    // Whether the label font is ready, or not needed.
    bool labelFontReady_ = false;
    // Whether the backing store holds the whole picture (as last put on screen).
    bool backingStoreFilled_ = false;
    // Whether nothing has been drawn since the picture was last cleared (a new picture is
    // filled with the background): changes pending or taken since say otherwise.
    bool blank_ = true;
    // Loads the font database in a thread from the window's creation on; destroyed
    // first, it waits for the thread to end.
    std::future<void> fontDatabase_;
};

}  // namespace voroquarn
