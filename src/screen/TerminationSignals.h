#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace voroquarn {

// SIGTERM, SIGINT and SIGHUP as events of the event loop, so that the program ends the
// ordinary way, within a turn of its loop, whatever it is doing: the signals are blocked
// in every thread and read from a signal descriptor that the event loop watches. There
// is no handler, and so nothing that must be safe to run at any instant.
class TerminationSignals {
public:
    // Blocks the signals. Threads inherit the mask when they start, so this comes before
    // any other thread: before the application object.
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Calls `onSignal` with the signal's number whenever one arrives. Needs the
    // application object.
    void watch(std::function<void(int signal)> onSignal);

    // Ends the program as the signal ends a program that does not catch it, so that the
    // program's parent learns what ended it. For after the program has wound up.
    [[noreturn]] static void endBy(int signal);

private:
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(int)> onSignal_;
};

}  // namespace voroquarn
