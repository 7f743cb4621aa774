#pragma once

#include <QBackingStore>
#include <QWindow>
#include <chrono>

#include "window/PictureSurface.h"
#include "window/WindowMetrics.h"

class QEventLoop;
class QPainter;

namespace voroquarn {

// The program's window. Its picture lives in memory and is copied to the screen: at a
// yield the pixels changed since the last copy, at most once per display frame, and all
// of it whenever the window system asks for a repaint, so the picture survives being
// covered or minimised.
class FrmVoroQuarn final : public QWindow, public PictureSurface {
public:
    explicit FrmVoroQuarn(QSize drawingArea = QSize(DESIGN_WIDTH, DESIGN_HEIGHT));
    ~FrmVoroQuarn() override;

    void Show() override;
    void Refresh() override;
    float Width() const override;
    float Height() const override;
    bool DoEvents() override;

    // Puts every change on screen now; for the end of a drawing, and before any wait.
    void present();

    bool isClosed() const { return closed_; }

protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void putOnScreen(const QRegion& region);
    void putChangesOnScreen();
    void drawPicture(QPainter& painter, const QRect& rect);

    QBackingStore backingStore_;
    std::chrono::nanoseconds frameInterval_{0};
    std::chrono::steady_clock::time_point lastFlush_;
    QImage screenTile_;  // the colours of the area being put on screen
    QEventLoop* waitingForExpose_ = nullptr;
    bool closed_ = false;
};

}  // namespace voroquarn
