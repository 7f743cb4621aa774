#pragma once

#include <QBackingStore>
#include <QTimer>
#include <QWindow>
#include <span>

#include "screen/PictureWorker.h"

namespace voroquarn {

// The explorer's window: resizable, it shows the newest picture its worker has drawn,
// where it changed, as soon as it is done; over it, on request, the keys and mouse
// actions, and for a while the last thing said. It draws nothing itself but these and
// runs no drawing on its own thread: however many the sites, it takes its events at once.
class ExplorerWindow final : public QWindow {
public:
    ExplorerWindow(QSize size, const ExplorerLook& look);
    ~ExplorerWindow() override;

    // Draws these sites, placed in this order with these ids, from now on.
    void showSites(const SiteArrays& placed, std::span<const std::uint32_t> ids);

    // The keys and mouse actions over the picture, or not.
    void setHelpShown(bool shown);
    bool helpShown() const { return helpShown_; }
    // Shows the line at the foot of the window for a few seconds.
    void say(const QString& line);

    void toggleFullScreen();

    // What the window says for now, for the tests; empty when it says nothing.
    const QString& saying() const { return saying_; }

protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Puts on screen what the worker changed, and the region.
    void showChanges(const QRegion& also = {});
    void paint(const QImage& picture, const QRegion& region);
    void drawHelp(QPainter& painter) const;
    void drawSaying(QPainter& painter) const;
    QRect helpBox() const;
    QRect sayingBox() const;

    QBackingStore backingStore_;
    bool helpShown_ = false;
    QString saying_;
    QTimer sayingTimer_;
    PictureWorker worker_;  // last: stopped before the rest goes
};

}  // namespace voroquarn
