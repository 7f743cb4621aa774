// The explorer's response to a drag, from outside the process, as a person would see it.
//
//   drag_latency WINDOW SITE-FILE DRAGS
//
// Under an X server, for the explorer's window WINDOW showing the sites of SITE-FILE:
// presses the first button on a site through the XTEST extension, waits until the window
// has stood still for a while, moves the pointer by (6, 4) pixels and times, from the
// moment the motion is sent to the X server to the X server's report (DAMAGE) that the
// window was drawn into, how long the new picture takes to reach the screen; then
// releases, and drags the site back the same way. Sites are taken at random (seeded),
// among those with room around them. Prints "drag-ms median p90 min max" and the count.
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "diagram/SiteFile.h"

namespace {

using Clock = std::chrono::steady_clock;

// How long the window must go without drawing to count as standing still.
constexpr auto STILL = std::chrono::milliseconds(60);
constexpr auto GIVE_UP = std::chrono::seconds(10);
constexpr int STEP_X = 6;
constexpr int STEP_Y = 4;

// The XTEST extension's FakeInput request, sent as it stands in the protocol, so that no
// library beyond libxcb is needed.
xcb_extension_t xtest{"XTEST", 0};
constexpr std::uint8_t FAKE_INPUT = 2;
constexpr std::uint8_t BUTTON_PRESS = 4;
constexpr std::uint8_t BUTTON_RELEASE = 5;
constexpr std::uint8_t MOTION = 6;

class X {
public:
    explicit X(xcb_window_t window) : connection_(xcb_connect(nullptr, nullptr)), window_(window)
    {
        if (xcb_connection_has_error(connection_) != 0) {
            std::fprintf(stderr, "drag_latency: no X server\n");
            std::exit(2);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
        const xcb_query_extension_reply_t* test = xcb_get_extension_data(connection_, &xtest);
        if (damage == nullptr || damage->present == 0 || test == nullptr || test->present == 0) {
            std::fprintf(stderr, "drag_latency: the X server lacks DAMAGE or XTEST\n");
            std::exit(2);
        }
        damageNotify_ = static_cast<std::uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY);
        std::free(xcb_damage_query_version_reply(
            connection_, xcb_damage_query_version(connection_, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
            nullptr));
        xcb_damage_create(connection_, xcb_generate_id(connection_), window_, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        auto* place = xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window_, root_, 0, 0), nullptr);
        if (place == nullptr) {
            std::fprintf(stderr, "drag_latency: no window %u\n", window_);
            std::exit(2);
        }
        originX_ = place->dst_x;
        originY_ = place->dst_y;
        std::free(place);
        xcb_flush(connection_);
    }
    ~X() { xcb_disconnect(connection_); }
    X(const X&) = delete;
    X& operator=(const X&) = delete;

    // Sends an input event as if from the devices: a motion to (x, y) of the window, or a
    // press or release of the first button.
    void fake(std::uint8_t type, int x = 0, int y = 0)
    {
        // The head (extension's opcode, FakeInput, length in words) is filled in by xcb.
        struct {
            std::uint8_t major;
            std::uint8_t minor;
            std::uint16_t length;
            std::uint8_t type;
            std::uint8_t detail;
            std::uint16_t pad0;
            std::uint32_t time;
            std::uint32_t root;
            std::uint32_t pad1[2];
            std::int16_t rootX;
            std::int16_t rootY;
            std::uint32_t pad2;
            std::uint16_t pad3;
            std::uint8_t pad4;
            std::uint8_t device;
        } request{};
        static_assert(sizeof request == 36);
        request.type = type;
        request.detail = type == MOTION ? 0 : 1;
        request.root = type == MOTION ? root_ : 0;
        request.rootX = static_cast<std::int16_t>(originX_ + x);
        request.rootY = static_cast<std::int16_t>(originY_ + y);
        iovec parts[4] = {};
        parts[2].iov_base = &request;
        parts[2].iov_len = sizeof request;
        const xcb_protocol_request_t kind{2, &xtest, FAKE_INPUT, 1};
        xcb_send_request(connection_, 0, parts + 2, &kind);
        xcb_flush(connection_);
    }

    // The time of the next report of drawing into the window, or nothing by the deadline.
    std::optional<Clock::time_point> nextDrawing(Clock::time_point deadline)
    {
        for (;;) {
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (event == nullptr) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0 || xcb_connection_has_error(connection_) != 0) {
                    return std::nullopt;
                }
                pollfd socket{xcb_get_file_descriptor(connection_), POLLIN, 0};
                poll(&socket, 1, static_cast<int>(left.count()));
                continue;
            }
            const Clock::time_point at = Clock::now();
            const bool drawn = (event->response_type & 0x7FU) == damageNotify_;
            std::free(event);
            if (drawn) {
                return at;
            }
        }
    }

    // Waits until nothing is drawn into the window for STILL.
    void waitUntilStill()
    {
        const Clock::time_point end = Clock::now() + GIVE_UP;
        while (nextDrawing(std::min(end, Clock::now() + STILL))) {
        }
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_window_t root_ = XCB_NONE;
    std::uint8_t damageNotify_ = 0;
    int originX_ = 0;
    int originY_ = 0;
};

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: drag_latency WINDOW SITE-FILE DRAGS\n");
        return 2;
    }
    const auto window = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
    std::ifstream file(argv[2]);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const voroquarn::SiteFileContents contents = voroquarn::parseSiteFile(text);
    const int drags = std::max(2, std::atoi(argv[3]));
    if (contents.error || contents.sites.empty()) {
        std::fprintf(stderr, "drag_latency: %s: not a site file\n", argv[2]);
        return 2;
    }
    // Sites with no other within 12 px, so that a press takes the one meant, and room
    // for the drag inside the window.
    std::vector<voroquarn::Site> free;
    for (const voroquarn::Site& s : contents.sites) {
        const bool alone = std::none_of(contents.sites.begin(), contents.sites.end(), [&](const voroquarn::Site& t) {
            return &t != &s && std::hypot(t.x - s.x, t.y - s.y) < 12;
        });
        if (alone && s.x > 20 && s.y > 20 && s.x < 1240 && s.y < 680) {
            free.push_back(s);
        }
    }
    if (free.empty()) {
        std::fprintf(stderr, "drag_latency: no site to drag\n");
        return 2;
    }
    X x(window);
    std::mt19937 engine(18);
    std::vector<double> times;
    x.waitUntilStill();
    for (int d = 0; d < drags; d += 2) {
        const voroquarn::Site& site = free[engine() % free.size()];
        const int sx = static_cast<int>(std::lround(site.x));
        const int sy = static_cast<int>(std::lround(site.y));
        for (const int way : {1, -1}) {
            const int from_x = way > 0 ? sx : sx + STEP_X;
            const int from_y = way > 0 ? sy : sy + STEP_Y;
            x.fake(MOTION, from_x, from_y);
            x.fake(BUTTON_PRESS);
            x.waitUntilStill();
            const Clock::time_point sent = Clock::now();
            x.fake(MOTION, from_x + way * STEP_X, from_y + way * STEP_Y);
            const auto drawn = x.nextDrawing(sent + GIVE_UP);
            if (!drawn) {
                std::fprintf(stderr, "drag_latency: no picture after a drag\n");
                return 1;
            }
            times.push_back(std::chrono::duration<double, std::milli>(*drawn - sent).count());
            x.waitUntilStill();
            x.fake(BUTTON_RELEASE);
            x.waitUntilStill();
        }
    }
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    std::printf("drag-ms %.3f %.3f %.3f %.3f (%zu drags)\n", n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2,
                times[n * 9 / 10], times.front(), times.back(), n);
    return 0;
}
