// Times and weighs the real program from outside, as a person would see it.
//
//   probe_program window RUNS PROGRAM [ARGS...]
//     Under an X server: starts the program RUNS times. Each time it polls the
//     program's window, reading its pixels back from the X server, until a white pixel
//     shows (the first site marker), and takes the time from just before the process
//     was started to the reply that showed it. Then it waits until the program has
//     used no processor time for a while (the drawing is done), reads its peak
//     resident size (VmHWM in /proc/PID/status), and ends it.
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
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/ProcStat.h"
#include "support/WindowPixels.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The pause between two reads of the window; a read of a 618 x 508 window adds about a
// millisecond, so the granularity is printed as measured.
constexpr auto POLL_PAUSE = std::chrono::milliseconds(1);
// How long the program must stay without using processor time to count as done.
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

// User and system processor time used so far, in clock ticks; -1 once it is gone.
long long processorTicks(pid_t pid)
{
    const auto stat = voroquarn::testing::readProcStat("/proc/" + std::to_string(pid) + "/stat");
    return stat ? stat->ticks : -1;
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
    }
    ~X() { xcb_disconnect(connection_); }
    X(const X&) = delete;
    X& operator=(const X&) = delete;

    // A mapped window of the process: a child of the root window, or of a window
    // manager's frame around it.
    std::optional<xcb_window_t> windowOf(pid_t pid)
    {
        for (const xcb_window_t top : children(root_)) {
            if (belongsTo(top, pid)) {
                return top;
            }
            for (const xcb_window_t inner : children(top)) {
                if (belongsTo(inner, pid)) {
                    return inner;
                }
            }
        }
        return std::nullopt;
    }

    // Counts the white and all pixels of the window as the X server has them now;
    // nothing while the window cannot be read.
    std::optional<std::pair<long, long>> whitePixels(xcb_window_t window)
    {
        const auto read = voroquarn::testing::readWindowPixels(connection_, window);
        if (!read) {
            return std::nullopt;
        }
        const long white = std::count_if(read->pixels.begin(), read->pixels.end(),
                                         [](std::uint32_t pixel) { return (pixel & 0xFFFFFFU) == 0xFFFFFFU; });
        return std::make_pair(white, static_cast<long>(read->pixels.size()));
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

    std::vector<xcb_window_t> children(xcb_window_t parent)
    {
        std::vector<xcb_window_t> result;
        auto* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, parent), nullptr);
        if (tree != nullptr) {
            const xcb_window_t* list = xcb_query_tree_children(tree);
            result.assign(list, list + xcb_query_tree_children_length(tree));
            std::free(tree);
        }
        return result;
    }

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

    xcb_connection_t* connection_;
    xcb_window_t root_ = XCB_NONE;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
};

int probeWindow(int runs, char** argv)
{
    X x;
    std::vector<double> firstMarker;
    std::vector<double> pollPeriod;
    std::vector<double> peak;
    for (int r = 0; r < runs; ++r) {
        const Clock::time_point begin = Clock::now();
        const pid_t pid = start(argv);
        std::optional<xcb_window_t> window;
        std::optional<Clock::time_point> seen;
        Clock::time_point lastPoll = begin;
        int polls = 0;
        while (!seen && Clock::now() - begin < GIVE_UP) {
            if (!window) {
                window = x.windowOf(pid);
            }
            if (window) {
                // A white pixel among mostly dark ones: a window manager's or the X
                // server's own pattern showing through a window not painted yet is
                // not taken for the picture.
                const auto counts = x.whitePixels(*window);
                if (counts && counts->first > 0 && counts->first * 20 < counts->second) {
                    seen = Clock::now();
                }
                if (polls > 0) {
                    pollPeriod.push_back(millisecondsBetween(lastPoll, Clock::now()));
                }
                lastPoll = Clock::now();
                ++polls;
            }
            std::this_thread::sleep_for(POLL_PAUSE);
        }
        if (!seen) {
            std::fprintf(stderr, "probe_program: no marker appeared\n");
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return 1;
        }
        firstMarker.push_back(millisecondsBetween(begin, *seen));

        long long ticks = processorTicks(pid);
        Clock::time_point still = Clock::now();
        while (Clock::now() - still < IDLE_SPAN && Clock::now() - begin < GIVE_UP) {
            std::this_thread::sleep_for(IDLE_PAUSE);
            const long long now = processorTicks(pid);
            if (now != ticks) {
                ticks = now;
                still = Clock::now();
            }
        }
        if (const auto hwm = statusKiB(pid, "VmHWM")) {
            peak.push_back(*hwm);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    summarise("first-marker-ms", firstMarker);
    summarise("poll-period-ms", pollPeriod);
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
        std::fprintf(stderr, "usage: probe_program window|run RUNS PROGRAM [ARGS...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[2]));
    if (std::strcmp(argv[1], "window") == 0) {
        return probeWindow(runs, argv + 3);
    }
    if (std::strcmp(argv[1], "run") == 0) {
        return probeRun(runs, argv + 3);
    }
    std::fprintf(stderr, "probe_program: unknown mode %s\n", argv[1]);
    return 2;
}
