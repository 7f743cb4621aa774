#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <stop_token>
#include <thread>

#include "core/Steps.h"

namespace voroquarn {

// Work that runs in a thread of its own while a drawing goes on, such as finding the
// diagram of a million sites: the drawing awaits it with waitFor, which hands Work
// slices to its driver meanwhile, so that a window keeps handling its events. Dropping
// the work asks it to stop and waits until it has.
class BackgroundWork {
public:
    explicit BackgroundWork(std::function<void(std::stop_token)> work)
        : thread_([this, work = std::move(work)](std::stop_token stop) {
              try {
                  work(stop);
              } catch (...) {
                  failure_ = std::current_exception();
              }
              done_.store(true, std::memory_order_release);
          })
    {
    }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;
    ~BackgroundWork() = default;  // the thread is asked to stop and joined

    bool done() const { return done_.load(std::memory_order_acquire); }
    // What the work threw, thrown again here; for after it is done.
    void rethrow() const
    {
        if (failure_) {
            std::rethrow_exception(failure_);
        }
    }

private:
    std::atomic<bool> done_{false};
    std::exception_ptr failure_;
    std::jthread thread_;  // last: it starts once the rest is there
};

// Yields Work slices, a millisecond apart, until the work is done; then throws what it
// threw, if anything.
Steps waitFor(const BackgroundWork& work);

}  // namespace voroquarn
