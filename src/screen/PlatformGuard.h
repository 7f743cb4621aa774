#pragma once

namespace voroquarn {

// The program's dealings with the window system in one voice: each message one line
// with the program's prefix; failing to reach it ends the program with status 2 (where
// Qt would dump core), a connection broken while the window is open with status 1, and
// a write to a closed connection is an error, not a silent SIGPIPE.
class PlatformGuard {
public:
    // `displayGiven`: the X display is the one --display names, which a failure blames.
    explicit PlatformGuard(bool displayGiven = false);
    ~PlatformGuard();
    PlatformGuard(const PlatformGuard&) = delete;
    PlatformGuard& operator=(const PlatformGuard&) = delete;

    // Call once the application object exists and the window system answered.
    void connected();
};

}  // namespace voroquarn
