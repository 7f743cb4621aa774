#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

namespace voroquarn::testing {

// Drives a real X session for the window tests: the window manager, the program under
// test, and the command-line tools that find, inspect and close its window.
class XSession {
public:
    // Starts openbox on the current display unless a window manager runs already.
    static bool ensureWindowManager();

    // Runs a tool to completion and returns its standard output, or nothing when it
    // fails or takes longer than the timeout.
    static std::optional<QString> run(const QString& program, const QStringList& arguments,
                                      int timeoutMs = 10000);

    // Waits until a visible window with exactly this name exists; returns its id.
    static std::optional<QString> waitForWindow(const QString& name, int timeoutMs = 10000);

    // The window's drawing area in root coordinates.
    static QRect geometry(const QString& windowId);

    // A screenshot of the window's drawing area.
    static QImage grab(const QString& windowId);

    // Asks the window manager to close the window, as its close button does.
    static bool requestClose(const QString& windowId);
};

// The program under test, started with the given arguments on the current display.
class ProgramRun {
public:
    explicit ProgramRun(const QStringList& arguments = {});
    ~ProgramRun();

    QProcess& process() { return process_; }
    // Waits for the process to end; returns its exit status, or nothing on timeout.
    std::optional<int> waitForExit(int timeoutMs);

private:
    QProcess process_;
};

}  // namespace voroquarn::testing
