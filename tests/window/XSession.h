#pragma once

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QThread>
#include <optional>

namespace voroquarn::testing {

// How long a window test waits for what must come: a minute, as the saver recipe's check
// waits, since the parallel tests can hold a window's program back for seconds. A wait
// ends as soon as what it waits for is there.
inline constexpr int PATIENCE_MS = 60000;

// Waits until the condition holds, asking every 5 ms; false when the time runs out first.
template <class Condition>
bool waitUntil(Condition condition, int timeoutMs = PATIENCE_MS)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(5);
    }
    return true;
}

// Drives a real X session for the window tests: the window manager, the program under
// test, and the command-line tools that find, inspect and close its window.
class XSession {
public:
    // Starts openbox on the current display unless a window manager runs already.
    static bool ensureWindowManager();

    // Runs a tool to completion and returns its standard output, or nothing when it
    // fails or takes longer than the timeout.
    static std::optional<QString> run(const QString& program, const QStringList& arguments,
                                      int timeoutMs = PATIENCE_MS);

    // Runs a tool as run does, on the named display instead of the current one.
    static std::optional<QString> runOn(const QString& display, const QString& program,
                                        const QStringList& arguments, int timeoutMs = PATIENCE_MS);

    // Waits until a visible window with exactly this name exists; returns its id.
    static std::optional<QString> waitForWindow(const QString& name, int timeoutMs = PATIENCE_MS);

    // The id of the process's visible window, if it has one now; on the named display,
    // or the current one when the name is empty.
    static std::optional<QString> windowOf(qint64 pid, const QString& display = {});
    // Waits until the process has a visible window; returns its id.
    static std::optional<QString> waitForWindowOf(qint64 pid, int timeoutMs = PATIENCE_MS);

    // Whether the window is mapped and all its ancestors are, as xwininfo reports it.
    static bool isViewable(const QString& windowId);
    // Waits until the window is viewable, or is not; false at the timeout.
    static bool waitUntilViewable(const QString& windowId, bool viewable, int timeoutMs = PATIENCE_MS);

    // The window's drawing area in root coordinates.
    static QRect geometry(const QString& windowId);

    // A screenshot of the window's drawing area.
    static QImage grab(const QString& windowId);

    // Asks the window manager to close the window, as its close button does.
    static bool requestClose(const QString& windowId);

    // Waits until the window shows the same picture for a whole second, which it does
    // only once the drawing is over: a drawing, once started, changes the window many
    // times a second. Returns that picture, or a null image when the window never
    // settles or goes away.
    static QImage waitForFinishedPicture(const QString& windowId, int timeoutMs = PATIENCE_MS);

    // Waits until the window shows this picture; returns what it shows then or at the
    // timeout.
    static QImage waitForPicture(const QString& windowId, const QImage& wanted, int timeoutMs = PATIENCE_MS);
};

// Where the program under test runs and what becomes of its standard error.
struct RunPlace {
    // The X display to run on; empty for the current one.
    QString display;
    // Keep standard error for the test to read, instead of passing it through.
    bool keepErrors = false;
    // Variables to set, as NAME=value, on top of the test's own environment.
    QStringList environment;
};

// The program under test, started with the given arguments.
class ProgramRun {
public:
    explicit ProgramRun(const QStringList& arguments = {}, const RunPlace& place = {});
    ~ProgramRun();

    QProcess& process() { return process_; }
    qint64 pid() const { return process_.processId(); }
    // Waits for the process to end; returns its exit status, or nothing on timeout or
    // when it ended by a signal.
    std::optional<int> waitForExit(int timeoutMs);
    // Standard error so far, when kept.
    QString errors() { return QString::fromLocal8Bit(process_.readAllStandardError()); }

private:
    QProcess process_;
};

}  // namespace voroquarn::testing
