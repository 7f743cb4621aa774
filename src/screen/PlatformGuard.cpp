#include "screen/PlatformGuard.h"

#include <QString>
#include <QtGlobal>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/Shown.h"

namespace voroquarn {

namespace {

// Qt's messages may quote what others chose, such as a window's title: controls in it
// reach the terminal only as escapes.
void printLine(std::string_view text)
{
    std::fprintf(stderr, "voroquarn: %s\n", escapedControls(text).c_str());
    std::fflush(stderr);
}

// While the window system is being reached: the platform's chatter is dropped, and its
// failure becomes the one line that explains it.
void handleWhileConnecting(QtMsgType type, const QMessageLogContext& /*context*/,
                           const QString& /*message*/)
{
    if (type == QtFatalMsg) {
        printLine("cannot open a window: no window system could be reached "
                  "(is DISPLAY set to a running X server?)");
        std::_Exit(2);
    }
}

// The same with --display, which takes the place of DISPLAY.
void handleWhileConnectingToGiven(QtMsgType type, const QMessageLogContext& /*context*/,
                                  const QString& /*message*/)
{
    if (type == QtFatalMsg) {
        printLine("cannot open a window: the X display that --display names could not be reached");
        std::_Exit(2);
    }
}

void handleWhileRunning(QtMsgType type, const QMessageLogContext& /*context*/, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg) {
        return;
    }
    printLine(message.toStdString());
    if (type == QtFatalMsg) {
        std::_Exit(2);
    }
    // Qt says so before it, or Xlib's own handler after two lines of its own, ends the
    // program with status 1: ended here, the line above is the only one.
    if (message.startsWith(QLatin1String("The X11 connection broke"))) {
        std::exit(1);
    }
}

}  // namespace

PlatformGuard::PlatformGuard(bool displayGiven)
{
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(displayGiven ? handleWhileConnectingToGiven : handleWhileConnecting);
}

PlatformGuard::~PlatformGuard() { qInstallMessageHandler(nullptr); }

void PlatformGuard::connected() { qInstallMessageHandler(handleWhileRunning); }

}  // namespace voroquarn
