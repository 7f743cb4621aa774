#pragma once

#include <QBackingStore>
#include <QWindow>

#include "window/PictureSurface.h"
#include "window/WindowMetrics.h"

class QEventLoop;
class QPainter;

namespace voroquarn {

// The program's window. Its picture lives in memory and is copied to the screen: on
// every yield only the pixels changed since the last one, and all of it whenever the
// window system asks for a repaint, so the picture survives being covered or minimised.
class FrmVoroQuarn final : public QWindow, public PictureSurface {
public:
    explicit FrmVoroQuarn(QSize drawingArea = QSize(DESIGN_WIDTH, DESIGN_HEIGHT));
    ~FrmVoroQuarn() override;

    void Show() override;
    void Refresh() override;
    float Width() const override;
    float Height() const override;
    bool DoEvents() override;

    bool isClosed() const { return closed_; }

protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The outer size in twips: from the frame the window system reports, or with the
    // assumed frame where it reports none.
    OuterSize outerSize() const;
    void putOnScreen(const QRegion& region);
    void putChangesOnScreen();
    void drawPicture(QPainter& painter, const QRect& rect);

    QBackingStore backingStore_;
    QImage screenTile_;  // the colours of the area being put on screen
    QEventLoop* waitingForExpose_ = nullptr;
    bool closed_ = false;
};

}  // namespace voroquarn
