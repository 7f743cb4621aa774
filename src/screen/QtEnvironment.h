#pragma once

#include <QString>
#include <string>
#include <vector>

namespace voroquarn {

// What the program sets in the environment before Qt starts, and what it makes of the
// platform Qt chose.

// Qt asks for the runtime folder (XDG_RUNTIME_DIR) at start and warns when it is unset or
// not a folder of the user's own with mode 0700, as under root or sudo. Where the
// inherited one is unusable, the program uses the per-user folder that Qt would fall back
// to, tmp/runtime-USER, creating it like Qt, but without the warning. When that one is
// not the user's either, nothing changes.
void useUsableRuntimeFolder();

// The picture written with --output must not depend on who runs the program: draws
// offscreen at scale 1 and 96 dots per inch whatever the Qt variables ask, with the
// default platform theme, and with the system's font configuration rather than the
// user's own (fontconfig's user files and fonts are found through HOME, XDG_CONFIG_HOME
// and XDG_DATA_HOME). The system's fonts themselves are used as installed. Times are
// UTC.
void useFixedRenderingEnvironment();

// The arguments the program hands to Qt's application object: its own name, and what it
// means Qt to take (`forQt`), never the user's arguments, which Qt would search for its
// own options (a site file named -reverse would turn the layout around). They live as
// long as the object, as Qt needs them to.
class QtArguments {
public:
    explicit QtArguments(const char* program, std::vector<std::string> forQt = {});
    QtArguments(const QtArguments&) = delete;
    QtArguments& operator=(const QtArguments&) = delete;

    int& argc() { return argc_; }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> arguments_;
    std::vector<char*> pointers_;
    int argc_ = 0;
};

// Whether Qt's platform `name` can show a window at all. "offscreen" and "minimal" draw
// into memory only: a window there would never be seen, nor closed.
bool platformShowsWindows(const QString& name);

}  // namespace voroquarn
