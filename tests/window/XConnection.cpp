#include "XConnection.h"

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <QRegion>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/uio.h>

#include "screen/XcbReply.h"
#include "support/WindowPixels.h"

namespace voroquarn::testing {

namespace {

// libxcb's handle for the extension; it looks up the extension's opcode on first use.
xcb_extension_t damageExtension = {"DAMAGE", 0};

// The DAMAGE requests the watch needs, as the extension's protocol lays them out; libxcb
// fills in the first four bytes (opcodes and length).
constexpr quint8 DAMAGE_QUERY_VERSION = 0;
constexpr quint8 DAMAGE_CREATE = 1;
constexpr quint8 REPORT_RAW_RECTANGLES = 0;
constexpr quint8 DAMAGE_NOTIFY = 0;  // offset from the extension's first event

struct QueryVersionRequest {
    quint8 majorOpcode = 0;
    quint8 minorOpcode = 0;
    quint16 length = 0;
    quint32 clientMajor = 1;
    quint32 clientMinor = 1;
};

struct CreateRequest {
    quint8 majorOpcode = 0;
    quint8 minorOpcode = 0;
    quint16 length = 0;
    quint32 damage = 0;
    quint32 drawable = 0;
    quint8 level = REPORT_RAW_RECTANGLES;
    quint8 pad[3] = {0, 0, 0};
};

struct NotifyEvent {
    quint8 responseType;
    quint8 level;
    quint16 sequence;
    quint32 drawable;
    quint32 damage;
    quint32 timestamp;
    qint16 x;
    qint16 y;
    quint16 width;
    quint16 height;
    qint16 geometry[4];
};
static_assert(sizeof(QueryVersionRequest) == 12 && sizeof(CreateRequest) == 16 &&
              sizeof(NotifyEvent) == 32);

// Sends one fixed-size DAMAGE request; returns its sequence number.
template <class Request>
unsigned int sendDamageRequest(xcb_connection_t* c, quint8 opcode, bool hasReply, Request& request)
{
    iovec parts[3];
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof(Request);
    const xcb_protocol_request_t header = {1, &damageExtension, opcode, hasReply ? quint8(0) : quint8(1)};
    return xcb_send_request(c, hasReply ? 0 : XCB_REQUEST_CHECKED, parts + 2, &header);
}

}  // namespace

XConnection::XConnection(const QString& display)
{
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t* c = xcb_connect(display.isEmpty() ? nullptr : name.constData(), nullptr);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        return;
    }
    connection_ = c;
}

XConnection::~XConnection()
{
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

QImage XConnection::grab(quint32 window) const
{
    const auto read = connection_ != nullptr ? readWindowPixels(connection_, window) : std::nullopt;
    if (!read) {
        return {};
    }
    QImage result(read->width, read->height, QImage::Format_RGB32);
    for (int y = 0; y < read->height; ++y) {
        std::memcpy(result.scanLine(y), read->pixels.data() + static_cast<std::size_t>(y) * read->width,
                    static_cast<std::size_t>(read->width) * 4);
    }
    return result;
}

quint32 XConnection::root() const
{
    return connection_ != nullptr ? xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root : 0;
}

quint32 XConnection::atom(const char* name) const
{
    if (connection_ == nullptr) {
        return 0;
    }
    const auto interned = xcbReply(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return interned ? interned->atom : 0;
}

std::vector<QSize> XConnection::iconSizes(quint32 window) const
{
    if (connection_ == nullptr) {
        return {};
    }
    // Read whole: 0x1000000 words is more than any icon set holds.
    const auto property = xcbReply(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 0, 0x1000000),
        nullptr));
    if (!property || property->format != 32) {
        return {};
    }
    // Icon after icon: width, height, and width * height pixels.
    const auto* words = static_cast<const quint32*>(xcb_get_property_value(property.get()));
    const auto count = static_cast<quint64>(xcb_get_property_value_length(property.get())) / 4;
    std::vector<QSize> sizes;
    for (quint64 at = 0; at + 2 <= count;) {
        const quint64 width = words[at];
        const quint64 height = words[at + 1];
        sizes.emplace_back(static_cast<int>(width), static_cast<int>(height));
        at += 2 + width * height;
    }
    return sizes;
}

void XConnection::roundTrip() const
{
    if (connection_ != nullptr) {
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
}

DamageWatch::DamageWatch(XConnection& connection, quint32 window)
    : connection_(connection), window_(window)
{
    xcb_connection_t* c = connection.raw();
    if (c == nullptr) {
        return;
    }
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &damageExtension);
    if (extension == nullptr || extension->present == 0) {
        return;
    }
    firstEvent_ = extension->first_event;

    // The server takes no other DAMAGE request before the client said which version it
    // speaks.
    QueryVersionRequest query;
    const auto version = xcbReply(static_cast<uint8_t*>(xcb_wait_for_reply(
        c, sendDamageRequest(c, DAMAGE_QUERY_VERSION, true, query), nullptr)));
    if (!version) {
        return;
    }

    // Destruction of the window is told to those who ask for its structure events.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    if (const auto error = xcbReply(xcb_request_check(
            c, xcb_change_window_attributes_checked(c, window, XCB_CW_EVENT_MASK, &mask)))) {
        return;
    }

    CreateRequest create;
    create.damage = xcb_generate_id(c);
    create.drawable = window;
    const xcb_void_cookie_t created = {sendDamageRequest(c, DAMAGE_CREATE, false, create)};
    watching_ = !xcbReply(xcb_request_check(c, created));
}

void DamageWatch::collect()
{
    xcb_connection_t* c = connection_.raw();
    if (c == nullptr) {
        return;
    }
    connection_.roundTrip();
    while (const auto event = xcbReply(xcb_poll_for_event(c))) {
        const quint8 type = event->response_type & 0x7F;
        if (type == firstEvent_ + DAMAGE_NOTIFY) {
            NotifyEvent notify;
            std::memcpy(&notify, event.get(), sizeof notify);
            if (notify.drawable == window_) {
                rects_.emplace_back(notify.x, notify.y, notify.width, notify.height);
            }
        } else if (type == XCB_DESTROY_NOTIFY) {
            const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event.get());
            destroyed_ = destroyed_ || destroy->window == window_;
        }
    }
}

qint64 DamageWatch::drawnPixels() const
{
    QRegion region;
    for (const QRect& rect : rects_) {
        region += rect;
    }
    qint64 pixels = 0;
    for (const QRect& rect : region) {
        pixels += static_cast<qint64>(rect.width()) * rect.height();
    }
    return pixels;
}

}  // namespace voroquarn::testing
