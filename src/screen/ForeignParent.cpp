#include "screen/ForeignParent.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QtMath>
#include <cstdlib>

#include "screen/XcbReply.h"

namespace voroquarn {

namespace {

xcb_connection_t* qtConnection()
{
    const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                         : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

QString hex(std::uint32_t id) { return QStringLiteral("0x%1").arg(id, 0, 16); }

}  // namespace

std::variant<std::unique_ptr<ForeignParent>, QString> ForeignParent::attach(std::uint32_t id)
{
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return QStringLiteral("drawing into another window needs the X window system");
    }
    // Only a window has attributes: a pixmap or an unused id fails here.
    const auto attributes =
        xcbReply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    if (!attributes) {
        return QStringLiteral("there is no window %1").arg(hex(id));
    }
    // Selected before the size is read, so that no change of it goes unheard. The mask is
    // this connection's own, which Qt may already use on the root window: it is added to.
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (const auto error = xcbReply(xcb_request_check(
            c, xcb_change_window_attributes_checked(c, id, XCB_CW_EVENT_MASK, &mask)))) {
        return QStringLiteral("the window %1 cannot be watched").arg(hex(id));
    }
    const auto geometry = xcbReply(xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr));
    if (!geometry) {
        return QStringLiteral("there is no window %1").arg(hex(id));
    }
    return std::unique_ptr<ForeignParent>(
        new ForeignParent(id, geometry->root, QSize(geometry->width, geometry->height)));
}

std::optional<std::uint32_t> ForeignParent::rootWindow()
{
    xcb_connection_t* c = qtConnection();
    if (c == nullptr) {
        return std::nullopt;
    }
    // The screen that $DISPLAY names, as Qt's connection took it.
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) != 0) {
        std::free(host);
    } else {
        screen = 0;
    }
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int n = 0; n < screen && roots.rem > 1; ++n) {
        xcb_screen_next(&roots);
    }
    return roots.data->root;
}

ForeignParent::ForeignParent(std::uint32_t id, std::uint32_t root, QSize size)
    : id_(id), isRoot_(id == root), size_(size),
      window_(QWindow::fromWinId(id)), end_(id)
{
    qGuiApp->installNativeEventFilter(this);
}

ForeignParent::~ForeignParent()
{
    // A window deletes its children with it; the child is not this one's to delete.
    // Its X window goes first, so that it never shows up on its own.
    if (child_ != nullptr && child_->parent() == window_.get()) {
        child_->destroy();
        child_->setParent(nullptr);
    }
    if (qGuiApp != nullptr) {
        qGuiApp->removeNativeEventFilter(this);
    }
}

void ForeignParent::adopt(QWindow& child)
{
    child_ = &child;
    if (isRoot_) {
        // A window of the root's size that no window manager frames, below every other
        // window, like the desktop's background; input goes through it to the root.
        child.setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint |
                       Qt::WindowTransparentForInput | Qt::WindowStaysOnBottomHint);
        child.setGeometry(childGeometry());
        child.create();
        child.lower();
        return;
    }
    // The front end owns the input: it goes through to its window.
    child.setFlags(Qt::Widget | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    child.setParent(window_.get());
    child.setGeometry(childGeometry());
}

QSize unitsCovering(QSize pixels, qreal ratio)
{
    return {qCeil(pixels.width() / ratio), qCeil(pixels.height() / ratio)};
}

QRect ForeignParent::childGeometry() const
{
    return {QPoint(0, 0), unitsCovering(size_, child_ != nullptr ? child_->devicePixelRatio() : 1.0)};
}

WindowEnd::Seen WindowEnd::see(const void* message)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7FU) {
    case 0:
        return {false, lost_};  // an error
    case XCB_DESTROY_NOTIFY: {
        const auto* destroy = static_cast<const xcb_destroy_notify_event_t*>(message);
        const bool ended = destroy->window == id_ && !lost_;
        lost_ = lost_ || ended;
        return {ended, false};
    }
    default:
        return {};
    }
}

bool ForeignParent::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const WindowEnd::Seen seen = end_.see(message);
    if (seen.ended && onLost) {
        onLost();
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7FU) == XCB_CONFIGURE_NOTIFY) {
        const auto* configure = static_cast<const xcb_configure_notify_event_t*>(message);
        const QSize size(configure->width, configure->height);
        if (configure->window == id_ && configure->event == id_ && size != size_) {
            size_ = size;
            if (child_ != nullptr) {
                child_->setGeometry(childGeometry());
            }
        }
    }
    return seen.dropped;
}

}  // namespace voroquarn
