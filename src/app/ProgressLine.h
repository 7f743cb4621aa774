#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

#include "core/Progress.h"

namespace voroquarn {

// One line on standard error that says how far a long run has got, its phase and the
// share of it done, redrawn in place a few times a second. Only where standard error is
// a terminal, and only once the run has gone on for about a second: a quick run shows
// nothing. The line is taken away again by end(), or when the object goes, so that
// nothing is left of it before what the program says next.
class ProgressLine {
public:
    ProgressLine();
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // What the run tells how far it is; nothing where no line can be shown.
    Progress* progress() { return watcher_.joinable() ? &progress_ : nullptr; }

    // Takes the line away for good.
    void end();

    // Writes other text, which may go to the same terminal, with the line out of its way.
    void meanwhile(const std::function<void()>& write);

private:
    void watch(const std::stop_token& stop);
    // Shows `text` in place of the line, or takes the line away when it is empty.
    void show(const std::string& text);

    Progress progress_;
    std::mutex mutex_;
    std::condition_variable_any tick_;
    std::string shown_;  // what the line shows now
    std::jthread watcher_;  // last: it starts once the rest is there
};

}  // namespace voroquarn
