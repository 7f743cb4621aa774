#pragma once

#include <csignal>

namespace voroquarn {

// Holds back SIGINT, SIGTERM and SIGHUP in the calling thread while it lives, so that a
// file being put in place is never left half done: the signal stays pending and takes
// effect, as it would have, once the object is gone. Signals that were held already
// (where the program reads them as events) stay held.
class HeldSignals {
public:
    HeldSignals();
    ~HeldSignals();
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

    // Whether one of the signals has arrived that would have ended the program at once,
    // had it not been held: the work under way is better given up.
    bool arrived() const;

private:
    sigset_t before_;
};

}  // namespace voroquarn
