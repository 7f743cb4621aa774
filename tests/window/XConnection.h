#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

struct xcb_connection_t;

namespace voroquarn::testing {

// The test's own connection to an X display, apart from the one Qt keeps: it reads the
// pixels of a window on a display that the test's Qt does not use, and it watches what
// other programs draw into a window.
class XConnection {
public:
    // Connects to the named display, or to $DISPLAY when the name is empty.
    explicit XConnection(const QString& display = {});
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    bool isOpen() const { return connection_ != nullptr; }
    xcb_connection_t* raw() const { return connection_; }

    // The window's pixels as the X server has them; a null image on failure.
    QImage grab(quint32 window) const;

    // The root window of the first screen.
    quint32 root() const;

    // The atom of this name; 0 on failure.
    quint32 atom(const char* name) const;

    // The sizes of the icons the window carries in _NET_WM_ICON, in their order there.
    std::vector<QSize> iconSizes(quint32 window) const;

    // Waits for the server to answer a request, so that every event it sent before
    // has arrived.
    void roundTrip() const;

private:
    xcb_connection_t* connection_ = nullptr;
};

// Watches one window through the X server's DAMAGE extension: every rectangle any
// client draws into it is reported, whether by putting an image, copying or painting,
// and so is the window's destruction. The reports are kept until taken.
class DamageWatch {
public:
    DamageWatch(XConnection& connection, quint32 window);

    // Whether the server accepted the watch.
    bool isWatching() const { return watching_; }

    // Reads every report the server has sent up to now.
    void collect();
    // Forgets the rectangles collected so far.
    void clear() { rects_.clear(); }

    const std::vector<QRect>& rects() const { return rects_; }
    // The pixels covered by the reported rectangles, each counted once.
    qint64 drawnPixels() const;
    bool windowDestroyed() const { return destroyed_; }

private:
    XConnection& connection_;
    quint32 window_;
    quint8 firstEvent_ = 0;
    bool watching_ = false;
    bool destroyed_ = false;
    std::vector<QRect> rects_;
};

}  // namespace voroquarn::testing
