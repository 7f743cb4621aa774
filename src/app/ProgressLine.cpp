#include "app/ProgressLine.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>

namespace voroquarn {

namespace {

using namespace std::chrono_literals;

// A run quicker than this shows no line at all; a shown one is redrawn at most this often.
constexpr auto QUIET_START = 1s;
constexpr auto REDRAW = 100ms;

const char* phaseWords(RunPhase phase)
{
    switch (phase) {
    case RunPhase::None:
        return nullptr;
    case RunPhase::Reading:
        return "reading the sites";
    case RunPhase::Diagram:
        return "finding the diagram";
    case RunPhase::Filling:
        return "filling the regions";
    case RunPhase::Drawing:
        return "drawing the boundaries";
    case RunPhase::Writing:
        return "writing the file";
    }
    return nullptr;  // not reached: every phase has its case
}

// The line for a state: "voroquarn: drawing the boundaries, 37 %", or empty.
std::string lineOf(const Progress::State& state)
{
    const char* words = phaseWords(state.phase);
    if (words == nullptr) {
        return {};
    }
    std::string line = std::string("voroquarn: ") + words;
    if (state.share >= 0) {
        line += ", " + std::to_string(static_cast<int>(std::floor(state.share * 100))) + " %";
    }
    return line;
}

void put(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

ProgressLine::ProgressLine()
{
    if (isatty(STDERR_FILENO) == 1) {
        watcher_ = std::jthread([this](const std::stop_token& stop) { watch(stop); });
    }
}

ProgressLine::~ProgressLine() { end(); }

void ProgressLine::end()
{
    if (!watcher_.joinable()) {
        return;
    }
    watcher_.request_stop();
    watcher_.join();
    const std::scoped_lock lock(mutex_);
    show({});
}

void ProgressLine::meanwhile(const std::function<void()>& write)
{
    const std::scoped_lock lock(mutex_);
    show({});
    write();
}

void ProgressLine::watch(const std::stop_token& stop)
{
    std::unique_lock lock(mutex_);
    const auto never = [] { return false; };  // woken only by the time or the stop
    tick_.wait_for(lock, stop, QUIET_START, never);
    while (!stop.stop_requested()) {
        show(lineOf(progress_.get()));
        tick_.wait_for(lock, stop, REDRAW, never);
    }
}

// Plain spaces wipe what the line showed, on any terminal; \r goes back to its start.
void ProgressLine::show(const std::string& text)
{
    if (text == shown_) {
        return;
    }
    const std::size_t wipe = shown_.size() > text.size() ? shown_.size() - text.size() : 0;
    put('\r' + text + std::string(wipe, ' ') + (text.empty() || wipe > 0 ? "\r" + text : std::string()));
    shown_ = text;
}

}  // namespace voroquarn
