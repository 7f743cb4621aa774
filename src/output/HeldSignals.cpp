#include "output/HeldSignals.h"

#include <pthread.h>

namespace voroquarn {

namespace {

constexpr int HELD[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t held()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : HELD) {
        sigaddset(&set, signal);
    }
    return set;
}

}  // namespace

HeldSignals::HeldSignals()
{
    const sigset_t set = held();
    pthread_sigmask(SIG_BLOCK, &set, &before_);
}

HeldSignals::~HeldSignals() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

bool HeldSignals::arrived() const
{
    sigset_t pending;
    if (sigpending(&pending) != 0) {
        return false;
    }
    for (const int signal : HELD) {
        // One that is ignored, or handled by the program, ends nothing.
        struct sigaction action {};
        if (sigismember(&pending, signal) == 1 && sigismember(&before_, signal) == 0 &&
            sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_DFL) {
            return true;
        }
    }
    return false;
}

}  // namespace voroquarn
