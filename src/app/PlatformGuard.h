#pragma once

namespace voroquarn {

// Routes Qt's own messages through the program's voice while it lives. While the window
// system is being reached, Qt's warnings are held back and a failure ends the program
// with one line and status 2, where Qt would abort with a core dump. Afterwards every
// message is printed with the program's prefix, and a fatal one (such as a broken
// connection to the window system) ends the program with status 2 as well.
class PlatformGuard {
public:
    PlatformGuard();
    ~PlatformGuard();
    PlatformGuard(const PlatformGuard&) = delete;
    PlatformGuard& operator=(const PlatformGuard&) = delete;

    // Call once the application object exists and the window system answered.
    void connected();
};

}  // namespace voroquarn
