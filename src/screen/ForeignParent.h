#pragma once

#include <QAbstractNativeEventFilter>
#include <QSize>
#include <QString>
#include <QWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace voroquarn {

// The size in a window's units that covers `pixels` of the X server at the window's
// device-pixel ratio: rounded up, so that no pixel at the right or bottom is left out.
QSize unitsCovering(QSize pixels, qreal ratio);

// Word of the end of a window the program draws into, from the events of Qt's X
// connection. Once the window is destroyed, the X server's complaints about it and its
// children are the expected end, not faults: they are dropped, and only then.
class WindowEnd {
public:
    explicit WindowEnd(std::uint32_t id) : id_(id) {}

    // What an event (an xcb_generic_event_t) says: whether the window has just ended,
    // and whether Qt should not see the event.
    struct Seen {
        bool ended = false;
        bool dropped = false;
    };
    Seen see(const void* event);

private:
    std::uint32_t id_;
    bool lost_ = false;
};

// A window of another program, or the root window, that the program draws into: the
// program's own window becomes its child and covers it wholly, now and whenever its
// size changes. Qt knows nothing of the size of a window it did not create, so the size
// comes from the X server, and so does word of the window's end; both arrive on Qt's
// own connection, whose events pass by here first.
class ForeignParent final : public QAbstractNativeEventFilter {
public:
    // Attaches to the window on Qt's X connection; fails, saying why, without an X
    // connection or without such a window. Needs the application object.
    static std::variant<std::unique_ptr<ForeignParent>, QString> attach(std::uint32_t id);
    ~ForeignParent() override;
    ForeignParent(const ForeignParent&) = delete;
    ForeignParent& operator=(const ForeignParent&) = delete;

    // The root window of the X display's default screen; nothing without an X
    // connection.
    static std::optional<std::uint32_t> rootWindow();

    // Makes `child` the window's child, of its size; over the root window, a window
    // below all others that lets input through. Call it before the child is shown.
    void adopt(QWindow& child);

    // Called once, when the window is destroyed (see WindowEnd).
    std::function<void()> onLost;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    ForeignParent(std::uint32_t id, std::uint32_t root, QSize size);
    // The window's size in the child's units, rounded up so that the child covers it.
    QRect childGeometry() const;

    std::uint32_t id_;
    bool isRoot_;
    QSize size_;  // in the X server's pixels
    std::unique_ptr<QWindow> window_;
    QWindow* child_ = nullptr;
    WindowEnd end_;
};

}  // namespace voroquarn
