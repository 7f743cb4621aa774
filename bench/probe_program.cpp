// Times and weighs the real program from outside, as a person would see it.
//
//   probe_program window RUNS [--expect PICTURE.ppm --sites SITE-FILE] PROGRAM [ARGS...]
//     Under an X server: starts the program RUNS times and watches, with the X server's
//     DAMAGE extension, everything drawn into its window. After each drawing it reads
//     the window's pixels back (GetImage, one bit of each) until a white pixel shows
//     among mostly black ones: the first marker, timed from just before the process
//     was started to the reply that showed it, and the processor time the program had
//     used, all its threads, when the drawing that showed it was reported (which other
//     work on the machine disturbs far less).
//     From then on it only notes when the window is drawn into,
//     until the window stands still: nothing drawn into it for a while and the program
//     using no processor time. The last pixel is the time of the last drawing. Then it
//     reads the program's peak resident size (VmHWM in /proc/PID/status) and ends it.
//     With --expect, the still window must show the picture of the PPM file (the
//     program's --output picture of the same sites, converted), except within the
//     boxes of the weight labels, whose font may differ between the window system and
//     the offscreen platform; the sites of the file give the boxes.
//   probe_program run RUNS PROGRAM [ARGS...]
//     Starts the program RUNS times and waits for each to exit: wall time from just
//     before the start to the exit, and peak resident size (ru_maxrss).
//
// Prints "name median min max" lines: times in milliseconds, sizes in KiB.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <poll.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "diagram/SiteFile.h"
#include "support/ProcStat.h"
#include "support/WindowPixels.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// How long the window must stay without drawing, and the program without using
// processor time, to count as done.
constexpr auto IDLE_SPAN = std::chrono::milliseconds(600);
constexpr auto IDLE_PAUSE = std::chrono::milliseconds(50);
constexpr auto GIVE_UP = std::chrono::seconds(20);

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Starts the program with its standard output thrown away, so that what it prints
// (--version, --print-sites) does not mix with the figures.
pid_t start(char** argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        std::fprintf(stderr, "probe_program: cannot start %s\n", argv[0]);
        std::exit(2);
    }
    return pid;
}

void summarise(const char* name, std::vector<double> values)
{
    if (values.empty()) {
        return;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    std::printf("%s %.3f %.3f %.3f\n", name, median, values.front(), values.back());
}

// A field of /proc/PID/status in KiB, or nothing once the process is gone.
std::optional<double> statusKiB(pid_t pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stod(line.substr(field.size() + 1));
        }
    }
    return std::nullopt;
}

// Processor time used so far by the process, all its threads counted, those that have
// ended too (a thread that loaded fonts and is gone still cost its time), in
// milliseconds to the nanosecond; nothing once it is gone.
std::optional<double> processorMilliseconds(pid_t pid)
{
    clockid_t clock{};
    timespec used{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0) {
        return std::nullopt;
    }
    return static_cast<double>(used.tv_sec) * 1e3 + static_cast<double>(used.tv_nsec) / 1e6;
}

// The same, read with the program held still (SIGSTOP, waited for), so that the figure
// is the one of the moment the probe was told of a drawing, not of the moment after
// the window was read back, during which the program goes on working.
std::optional<double> processorMillisecondsHeld(pid_t pid)
{
    int status = 0;
    if (kill(pid, SIGSTOP) != 0 || waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) {
        return std::nullopt;
    }
    const auto used = processorMilliseconds(pid);
    kill(pid, SIGCONT);
    return used;
}

// User and system processor time used so far, in clock ticks; -1 once it is gone.
long long processorTicks(pid_t pid)
{
    const auto stat = voroquarn::testing::readProcStat("/proc/" + std::to_string(pid) + "/stat");
    return stat ? stat->ticks : -1;
}

// A picture to compare a window with: RGB bytes, row by row, from a binary PPM file.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

std::optional<Picture> readPpm(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Picture picture;
    file >> magic >> picture.width >> picture.height >> maxValue;
    if (!file || magic != "P6" || maxValue != 255 || picture.width < 1 || picture.height < 1) {
        return std::nullopt;
    }
    file.get();  // the one blank that ends the header
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 3);
    file.read(reinterpret_cast<char*>(picture.rgb.data()), static_cast<std::streamsize>(picture.rgb.size()));
    if (!file) {
        return std::nullopt;
    }
    return picture;
}

// Where a weight label may be drawn: a box from a little above and left of the site to
// well beyond the width of its digits in any usual font.
struct Box {
    int left;
    int top;
    int right;
    int bottom;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

std::optional<std::vector<Box>> labelBoxes(const char* path)
{
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const voroquarn::SiteFileContents contents = voroquarn::parseSiteFile(text);
    if (!file || contents.error) {
        return std::nullopt;
    }
    std::vector<Box> boxes;
    for (const voroquarn::Site& site : contents.sites) {
        char digits[64];
        const int length = std::snprintf(digits, sizeof digits, "%.0f", std::floor(static_cast<double>(site.w)));
        const int x = static_cast<int>(std::floor(site.x));
        const int y = static_cast<int>(std::floor(site.y));
        boxes.push_back({x - 8, y - 8, x + 8 + 12 * std::max(length, 1), y + 28});
    }
    return boxes;
}

// What the window shows against the picture: pixels that differ outside the label
// boxes, and within them.
struct Comparison {
    long outside = 0;
    long inLabels = 0;
};

Comparison compare(const voroquarn::testing::WindowPixels& shown, const Picture& picture, const std::vector<Box>& labels)
{
    Comparison result;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                                   static_cast<std::size_t>(x);
            const std::uint32_t expected = (std::uint32_t{picture.rgb[3 * at]} << 16U) |
                                           (std::uint32_t{picture.rgb[3 * at + 1]} << 8U) |
                                           std::uint32_t{picture.rgb[3 * at + 2]};
            const bool inside = x < shown.width && y < shown.height;
            const std::uint32_t seen =
                inside ? shown.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(shown.width) +
                                      static_cast<std::size_t>(x)] & 0xFFFFFFU
                       : ~0U;
            if (seen != expected) {
                const bool inLabel =
                    std::any_of(labels.begin(), labels.end(), [&](const Box& box) { return box.contains(x, y); });
                ++(inLabel ? result.inLabels : result.outside);
            }
        }
    }
    return result;
}

class X {
public:
    X() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_) != 0) {
            std::fprintf(stderr, "probe_program: no X server\n");
            std::exit(2);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        pidAtom_ = atom("_NET_WM_PID");
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage == nullptr || damage->present == 0) {
            std::fprintf(stderr, "probe_program: the X server has no DAMAGE extension\n");
            std::exit(2);
        }
        damageNotify_ = static_cast<std::uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY);
        std::free(xcb_damage_query_version_reply(
            connection_, xcb_damage_query_version(connection_, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
            nullptr));
        // Every window created at the top level is reported, so that it is watched from
        // its creation on, long before anything can be drawn into it.
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~X() { xcb_disconnect(connection_); }
    X(const X&) = delete;
    X& operator=(const X&) = delete;

    struct Drawing {
        xcb_window_t window;
        Clock::time_point at;  // when the X server's report of it came in
    };

    // The next report of something drawn into a window, or nothing by the deadline.
    // Windows created meanwhile are watched from then on.
    std::optional<Drawing> nextDrawing(Clock::time_point deadline)
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
            const std::uint8_t type = event->response_type & 0x7FU;
            std::optional<Drawing> drawing;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<const xcb_create_notify_event_t*>(event);
                xcb_damage_create(connection_, xcb_generate_id(connection_), created->window,
                                  XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(connection_);
            } else if (type == damageNotify_) {
                drawing = Drawing{reinterpret_cast<const xcb_damage_notify_event_t*>(event)->drawable, at};
            }
            std::free(event);  // errors too: a window may be gone before it is watched
            if (drawing) {
                return drawing;
            }
        }
    }

    // Whether the window is a mapped window of the process.
    bool belongsTo(xcb_window_t window, pid_t pid)
    {
        auto* property = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        bool match = false;
        if (property != nullptr && xcb_get_property_value_length(property) == 4) {
            std::uint32_t value = 0;
            std::memcpy(&value, xcb_get_property_value(property), 4);
            match = static_cast<pid_t>(value) == pid;
        }
        std::free(property);
        if (!match) {
            return false;
        }
        auto* attributes = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr);
        const bool viewable = attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return viewable;
    }

    // How many of the window's pixels are white and how many it has, read from the lowest
    // bit of their blue, which is all a white-on-black picture needs and a 32nd of the
    // whole; nothing while the window cannot be read.
    std::optional<std::pair<long, long>> whitePixels(xcb_window_t window)
    {
        auto* geometry = xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr);
        if (geometry == nullptr) {
            return std::nullopt;
        }
        const int width = geometry->width;
        const int height = geometry->height;
        std::free(geometry);
        auto* plane = xcb_get_image_reply(
            connection_,
            xcb_get_image(connection_, XCB_IMAGE_FORMAT_XY_PIXMAP, window, 0, 0, static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height), 1U),
            nullptr);
        const int rowBytes = plane != nullptr ? xcb_get_image_data_length(plane) / std::max(height, 1) : 0;
        if (plane == nullptr || rowBytes * 8 < width) {
            std::free(plane);
            return std::nullopt;
        }
        const bool lowBitFirst = xcb_get_setup(connection_)->bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST;
        const std::uint8_t* data = xcb_get_image_data(plane);
        long white = 0;
        // Whole bytes at once; the last byte of a row may end in padding.
        const int tail = width % 8;
        const unsigned tailMask = lowBitFirst ? (1U << tail) - 1U : (0xFFU << (8 - tail)) & 0xFFU;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = data + static_cast<std::ptrdiff_t>(y) * rowBytes;
            for (int at = 0; at < width / 8; ++at) {
                white += std::popcount(row[at]);
            }
            if (tail != 0) {
                white += std::popcount(static_cast<unsigned>(row[width / 8] & tailMask));
            }
        }
        std::free(plane);
        return std::make_pair(white, static_cast<long>(width) * height);
    }

    std::optional<voroquarn::testing::WindowPixels> pixels(xcb_window_t window)
    {
        return voroquarn::testing::readWindowPixels(connection_, window);
    }

private:
    xcb_atom_t atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return result;
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_NONE;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
    std::uint8_t damageNotify_ = 0;
};

// A white pixel among mostly black ones: a window manager's or the X server's own
// pattern showing through a window not painted yet is not taken for the picture.
bool showsMarker(const std::optional<std::pair<long, long>>& counts)
{
    return counts && counts->first > 0 && counts->first * 20 < counts->second;
}

struct Expectation {
    std::optional<Picture> picture;
    std::vector<Box> labels;
};

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

int probeWindow(int runs, const Expectation& expected, char** argv)
{
    X x;
    std::vector<double> firstMarker;
    std::vector<double> markerProcessor;
    std::vector<double> lastPixel;
    std::vector<double> reads;
    std::vector<double> peak;
    for (int r = 0; r < runs; ++r) {
        const Clock::time_point begin = Clock::now();
        const pid_t pid = start(argv);
        std::optional<xcb_window_t> window;
        std::optional<Clock::time_point> marker;
        Clock::time_point last = begin;
        // Until the first marker: the window is read after each drawing into it, once
        // the reports that have come in meanwhile are taken in.
        while (!marker) {
            const auto drawing = x.nextDrawing(begin + GIVE_UP);
            if (!drawing) {
                std::fprintf(stderr, "probe_program: no marker appeared\n");
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                return 1;
            }
            if (window ? drawing->window != *window : !x.belongsTo(drawing->window, pid)) {
                continue;
            }
            window = drawing->window;
            last = drawing->at;
            while (const auto more = x.nextDrawing(Clock::now())) {
                last = more->window == *window ? more->at : last;
            }
            const auto used = processorMillisecondsHeld(pid);
            const Clock::time_point asked = Clock::now();
            const auto counts = x.whitePixels(*window);
            const Clock::time_point answered = Clock::now();
            reads.push_back(millisecondsBetween(asked, answered));
            if (showsMarker(counts)) {
                marker = answered;
                if (used) {
                    markerProcessor.push_back(*used);
                }
            }
        }
        firstMarker.push_back(millisecondsBetween(begin, *marker));

        // Then until the window stands still: the last drawing into it is the last pixel.
        long long ticks = processorTicks(pid);
        Clock::time_point busy = Clock::now();  // when the program was last seen using processor time
        Clock::time_point looked = busy;
        while (Clock::now() - std::max(busy, last) < IDLE_SPAN && Clock::now() - begin < GIVE_UP) {
            const auto drawing = x.nextDrawing(looked + IDLE_PAUSE);
            if (drawing && drawing->window == *window) {
                last = drawing->at;
            }
            if (Clock::now() - looked >= IDLE_PAUSE) {
                looked = Clock::now();
                const long long now = processorTicks(pid);
                if (now != ticks) {
                    ticks = now;
                    busy = looked;
                }
            }
        }
        lastPixel.push_back(millisecondsBetween(begin, last));
        if (expected.picture) {
            const auto shown = x.pixels(*window);
            const Comparison difference =
                shown ? compare(*shown, *expected.picture, expected.labels) : Comparison{-1, -1};
            if (!shown || difference.outside != 0) {
                std::fprintf(stderr,
                             "probe_program: the still window is not the expected picture: %ld pixels differ "
                             "outside the labels, %ld within\n",
                             difference.outside, difference.inLabels);
                stop(pid);
                return 1;
            }
        }
        if (const auto hwm = statusKiB(pid, "VmHWM")) {
            peak.push_back(*hwm);
        }
        stop(pid);
    }
    summarise("first-marker-ms", firstMarker);
    summarise("first-marker-cpu-ms", markerProcessor);
    summarise("last-pixel-ms", lastPixel);
    summarise("read-ms", reads);
    summarise("window-peak-rss-kib", peak);
    return 0;
}


int probeRun(int runs, char** argv)
{
    std::vector<double> wall;
    std::vector<double> peak;
    for (int r = 0; r < runs; ++r) {
        const Clock::time_point begin = Clock::now();
        const pid_t pid = start(argv);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const Clock::time_point end = Clock::now();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "probe_program: %s failed\n", argv[0]);
            return 1;
        }
        wall.push_back(millisecondsBetween(begin, end));
        peak.push_back(static_cast<double>(usage.ru_maxrss));
    }
    summarise("wall-ms", wall);
    summarise("peak-rss-kib", peak);
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: probe_program window RUNS [--expect PICTURE.ppm --sites SITE-FILE] PROGRAM [ARGS...]\n"
                     "       probe_program run RUNS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[2]));
    if (std::strcmp(argv[1], "window") == 0) {
        char** program = argv + 3;
        Expectation expected;
        while (*program != nullptr && program[1] != nullptr &&
               (std::strcmp(*program, "--expect") == 0 || std::strcmp(*program, "--sites") == 0)) {
            if (std::strcmp(*program, "--expect") == 0) {
                expected.picture = readPpm(program[1]);
                if (!expected.picture) {
                    std::fprintf(stderr, "probe_program: %s: not a binary PPM picture\n", program[1]);
                    return 2;
                }
            } else if (auto boxes = labelBoxes(program[1])) {
                expected.labels = std::move(*boxes);
            } else {
                std::fprintf(stderr, "probe_program: %s: not a site file\n", program[1]);
                return 2;
            }
            program += 2;
        }
        if (*program == nullptr) {
            std::fprintf(stderr, "probe_program: no program to start\n");
            return 2;
        }
        return probeWindow(runs, expected, program);
    }
    if (std::strcmp(argv[1], "run") == 0) {
        return probeRun(runs, argv + 3);
    }
    std::fprintf(stderr, "probe_program: unknown mode %s\n", argv[1]);
    return 2;
}
