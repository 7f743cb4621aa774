#pragma once

#include <QBackingStore>
#include <QTimer>
#include <QWindow>
#include <optional>
#include <span>

#include "core/PlanePoint.h"
#include "screen/PictureWorker.h"

namespace voroquarn {

// A weight being typed in place, beside its site.
struct WeightEntry {
    PlanePoint at;  // the site, in the picture's pixels
    QString text;
};

// The explorer's window: resizable, it shows the newest picture its worker has drawn,
// where it changed, as soon as it is done, with a status line below it. Over the
// picture: a ring around the site under the pointer, the selected site's circle in a
// colour of its own, a weight being typed, on request the keys and mouse actions, and
// for a while the last thing said. While a picture is being drawn for new sites, what
// lies over it waits and comes with it, so that both show the same sites. It runs no
// drawing on its own thread: however many the sites, it takes its events at once.
class ExplorerWindow final : public QWindow {
public:
    // A picture of this size, and the status line below it.
    ExplorerWindow(QSize picture, const ExplorerLook& look);
    ~ExplorerWindow() override;

    // The picture's part of the window: all of it but the status line.
    QSize pictureSize() const;

    // Draws these sites, in the picture's pixels, placed in this order with these ids,
    // from now on.
    void showSites(const SiteArrays& shown, std::span<const std::uint32_t> ids);
    // The site under the pointer and the selected one, where the picture shows them.
    void showMarks(std::optional<PlanePoint> hovered, std::optional<PlanePoint> selected);
    void showEntry(const std::optional<WeightEntry>& entry);
    // The status line: `note` at its left (a hint, or what typing a weight says), the
    // status at its right, shortened where there is no room for both.
    void showStatus(const QString& note, const QString& status);

    // The keys and mouse actions over the picture, or not.
    void setHelpShown(bool shown);
    bool helpShown() const { return helpShown_; }
    // Shows the line at the foot of the picture for a few seconds.
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
    // Puts the region on screen now, or with the picture being drawn.
    void showOver(const QRegion& region);
    void paint(const QImage& picture, const QRegion& region);
    void drawMarks(QPainter& painter) const;
    void drawEntry(QPainter& painter) const;
    void drawHelp(QPainter& painter) const;
    void drawSaying(QPainter& painter) const;
    void drawStatus(QPainter& painter) const;
    QRect markBox(const std::optional<PlanePoint>& at) const;
    QRect entryBox() const;
    QRect helpBox() const;
    QRect sayingBox() const;
    QRect statusBox() const;
    int statusHeight() const;

    QBackingStore backingStore_;
    std::optional<PlanePoint> hovered_;
    std::optional<PlanePoint> selected_;
    std::optional<WeightEntry> entry_;
    QString note_;
    QString status_;
    bool helpShown_ = false;
    QString saying_;
    QTimer sayingTimer_;
    bool pictureDue_ = false;  // sites given and not drawn yet
    QRegion waiting_;          // what waits for that picture
    PictureWorker worker_;     // last: stopped before the rest goes
};

}  // namespace voroquarn
