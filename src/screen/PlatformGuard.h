#pragma once

namespace voroquarn {

// Keeps the program's dealings with the window system to one voice while it lives. While
// the window system is being reached, Qt's warnings are held back and a failure ends the
// program with one line and status 2, where Qt would abort with a core dump. Afterwards
// every message is printed with the program's prefix; a fatal one ends the program with
// status 2, and a connection that breaks while the window is open ends it with Qt's one
// line about it and status 1, whichever part of Qt or Xlib notices. Writing to a
// connection closed at the other end reports an error instead of killing the program
// silently with SIGPIPE.
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
