#pragma once

#include <QObject>
#include <QPointF>
#include <optional>
#include <vector>

#include "diagram/SiteArrays.h"
#include "screen/ExploredSites.h"
#include "screen/ExplorerSaving.h"
#include "screen/ExplorerView.h"

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace voroquarn {

class ExplorerWindow;

// What becomes of edits not saved when the explorer's window closes.
struct UnsavedEdits {
    // The sites reach standard output at the close (--print-sites): nothing is kept.
    bool printedAtClose = false;
    // Where they are kept otherwise (unsavedSitesPath), or empty with the reason.
    QString path;
    QString problem;
    // The sites kept there at an earlier close, which Ctrl+R brings back; none when
    // there are none or the sites were given.
    std::vector<Site> offered;
};

// What the mouse and the keys do in the explorer's window (its help lists them): a drag
// moves a site, the wheel or + and - weigh it, Enter or a double-click types its weight,
// a click adds one, a right click or Delete takes one away, Ctrl+Z and Ctrl+Shift+Z undo
// and redo; Ctrl+wheel, or the wheel over empty ground, zooms about the pointer, a
// middle drag or space and a drag move the view, Home goes back to the view at start;
// Ctrl+S and Ctrl+E save, Ctrl+R brings back the sites left unsaved at an earlier close;
// F1 and ? show the help, Escape closes it and then the window, as q, Ctrl+Q and Ctrl+W
// do; F11 goes full screen. The site under the pointer is ringed and the one touched
// last stays selected; the status line tells where the pointer is in the sites' own
// coordinates, the selected site's weight and its region's area, and the number of
// sites, and for the first seconds that F1 lists the keys. After every change the
// window draws the sites anew, as the view shows them.
//
// A close with edits not saved keeps the sites in a file and says so on standard error
// and in the window, which closes a moment later; with --print-sites they are printed
// instead.
class ExplorerControls final : public QObject {
public:
    ExplorerControls(ExplorerWindow& window, ExploredSites& sites, const ExplorerLook& look, UnsavedEdits unsaved);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        std::uint32_t id;
        QString text;
        bool fresh;  // the first key typed replaces the text
    };

    bool key(const QKeyEvent& key);
    bool entryKey(const QKeyEvent& key);
    void press(const QMouseEvent& mouse);
    void move(QPointF at);
    void release(const QMouseEvent& mouse);
    void wheel(const QWheelEvent& wheel);
    // Whether the close may go on now; else the edits are kept and it comes later.
    bool mayClose();
    void keepUnsaved();
    void bringBackUnsaved();
    void save(ExplorerSaving::Kind kind);

    // The site under the pointer; nothing when none is within reach of it.
    std::optional<std::int32_t> siteAtPointer() const;
    // The site under the pointer, else the one selected; nothing when neither is.
    std::optional<std::int32_t> siteToWeigh() const;
    std::optional<std::int32_t> indexOf(std::optional<std::uint32_t> id) const;
    void weigh(std::int32_t k, bool heavier);
    void remove(std::optional<std::int32_t> k);
    void select(std::int32_t k);
    void openEntry(std::int32_t k);
    void closeEntry();
    void setEntryWeight();
    // After a change of the sites or the view: draws them anew, then follows the pointer.
    void changed();
    // The ring, the selection, the cursor and the status line, for where the pointer is.
    void followPointer();
    QString status();
    // A point of the picture, kept inside it.
    QPointF inside(QPointF at) const;

    ExplorerWindow& window_;
    ExploredSites& sites_;
    ExplorerLook look_;
    ExplorerSaving saving_;
    UnsavedEdits unsaved_;
    ExplorerView view_;
    SiteArrays shown_;  // the sites as the view shows them
    std::optional<QPointF> pointer_;  // in the picture, while it is over it
    std::optional<std::uint32_t> hovered_;
    std::optional<std::uint32_t> selected_;
    std::optional<double> area_;  // of the selected site's region, once measured
    struct Drag {
        std::int32_t site;
        QPointF offset;  // from the pointer to the site, in the picture
    };
    std::optional<Drag> drag_;
    std::optional<QPointF> panFrom_;
    bool spaceHeld_ = false;
    std::optional<QPointF> pressedOnGround_;
    int wheelEighths_ = 0;  // of a degree, turned over a site and not yet a step
    std::optional<Entry> entry_;
    QString entryNote_;
    QString hint_;  // for the first seconds
    bool broughtBack_ = false;
    bool closing_ = false;  // the edits are kept; the window closes in a moment
};

}  // namespace voroquarn
