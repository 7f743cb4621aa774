#pragma once

#include <QObject>
#include <QPointF>
#include <optional>

#include "screen/ExploredSites.h"
#include "screen/ExplorerSaving.h"

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace voroquarn {

class ExplorerWindow;

// What the mouse and the keys do in the explorer's window (its help lists them): a drag
// moves a site, the wheel or + and - weigh it, a click adds one, a right click or Delete
// takes one away, Ctrl+Z and Ctrl+Shift+Z undo and redo; Ctrl+S and Ctrl+E save; F1 and ?
// show the help, Escape closes it and then the window, as q, Ctrl+Q and Ctrl+W do; F11
// goes full screen. After every change the window draws the sites anew.
class ExplorerControls final : public QObject {
public:
    ExplorerControls(ExplorerWindow& window, ExploredSites& sites, const ExplorerLook& look);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool key(const QKeyEvent& key);
    void press(const QMouseEvent& mouse);
    void move(QPointF at);
    void release(QPointF at);
    void wheel(const QWheelEvent& wheel);
    // The site under the pointer, else the one changed last; nothing when neither is.
    std::optional<std::int32_t> siteToWeigh() const;
    void weigh(std::int32_t k, bool heavier);
    void remove(std::optional<std::int32_t> k);
    void changed(std::optional<std::int32_t> k = std::nullopt);
    // A point of the window, kept inside it.
    QPointF inside(QPointF at) const;

    ExplorerWindow& window_;
    ExploredSites& sites_;
    ExplorerSaving saving_;
    QPointF pointer_{-1, -1};
    std::optional<std::uint32_t> last_;  // the id of the site changed last
    struct Drag {
        std::int32_t site;
        QPointF offset;  // from the pointer to the site
    };
    std::optional<Drag> drag_;
    std::optional<QPointF> pressedOnGround_;
    int wheelEighths_ = 0;  // of a degree, turned and not yet a step
};

}  // namespace voroquarn
