#include "XSession.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>

namespace voroquarn::testing {

namespace {

std::optional<QString> runTool(const QString& display, const QString& program,
                               const QStringList& arguments, int timeoutMs)
{
    QProcess tool;
    if (!display.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", display);
        tool.setProcessEnvironment(environment);
    }
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished();
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

}  // namespace

std::optional<QString> XSession::run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    return runTool({}, program, arguments, timeoutMs);
}

std::optional<QString> XSession::runOn(const QString& display, const QString& program,
                                       const QStringList& arguments, int timeoutMs)
{
    return runTool(display, program, arguments, timeoutMs);
}

bool XSession::ensureWindowManager()
{
    if (run("wmctrl", {"-m"})) {
        return true;
    }
    if (!QProcess::startDetached("openbox", {})) {
        return false;
    }
    const QDeadlineTimer deadline(PATIENCE_MS);
    while (!deadline.hasExpired()) {
        if (run("wmctrl", {"-m"})) {
            // openbox names itself before it is ready to manage a window mapped at once.
            QThread::msleep(500);
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

std::optional<QString> XSession::waitForWindow(const QString& name, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const auto found = run("xdotool", {"search", "--onlyvisible", "--name",
                                           "^" + QRegularExpression::escape(name) + "$"});
        if (found && !found->trimmed().isEmpty()) {
            return found->split('\n', Qt::SkipEmptyParts).first().trimmed();
        }
        QThread::msleep(20);
    }
    return std::nullopt;
}

std::optional<QString> XSession::windowOf(qint64 pid, const QString& display)
{
    const auto found = runOn(display, "xdotool",
                             {"search", "--onlyvisible", "--pid", QString::number(pid)});
    if (!found || found->trimmed().isEmpty()) {
        return std::nullopt;
    }
    return found->split('\n', Qt::SkipEmptyParts).first().trimmed();
}

std::optional<QString> XSession::waitForWindowOf(qint64 pid, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (auto window = windowOf(pid)) {
            return window;
        }
        QThread::msleep(20);
    }
    return std::nullopt;
}

bool XSession::isViewable(const QString& windowId)
{
    const auto info = run("xwininfo", {"-id", windowId});
    return info && info->contains("Map State: IsViewable");
}

bool XSession::waitUntilViewable(const QString& windowId, bool viewable, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (isViewable(windowId) != viewable) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

QRect XSession::geometry(const QString& windowId)
{
    const auto info = run("xwininfo", {"-id", windowId});
    if (!info) {
        return {};
    }
    const auto number = [&](const QString& label) {
        const QRegularExpression pattern(QRegularExpression::escape(label) + R"(:\s*(-?\d+))");
        return pattern.match(*info).captured(1).toInt();
    };
    return {number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
            number("Height")};
}

QImage XSession::grab(const QString& windowId)
{
    const QRect area = geometry(windowId);
    if (area.isEmpty()) {
        return {};
    }
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool XSession::requestClose(const QString& windowId)
{
    return run("wmctrl", {"-i", "-c", windowId}).has_value();
}

QImage XSession::waitForFinishedPicture(const QString& windowId, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QImage last = grab(windowId);
    QElapsedTimer unchanged;
    unchanged.start();
    while (!deadline.hasExpired() && !last.isNull()) {
        QThread::msleep(250);
        QImage now = grab(windowId);
        if (now != last) {
            last = std::move(now);
            unchanged.restart();
        } else if (unchanged.elapsed() >= 1000) {
            return last;
        }
    }
    return {};
}

QImage XSession::waitForPicture(const QString& windowId, const QImage& wanted, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QImage now = grab(windowId);
    while (now != wanted && !deadline.hasExpired()) {
        QThread::msleep(50);
        now = grab(windowId);
    }
    return now;
}

ProgramRun::ProgramRun(const QStringList& arguments, const RunPlace& place)
{
    process_.setProcessChannelMode(place.keepErrors ? QProcess::SeparateChannels
                                                    : QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!place.display.isEmpty()) {
        environment.insert("DISPLAY", place.display);
    }
    for (const QString& variable : place.environment) {
        environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
    }
    process_.setProcessEnvironment(environment);
    process_.start(VOROQUARN_BINARY, arguments);
    process_.waitForStarted();
}

ProgramRun::~ProgramRun()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
}

std::optional<int> ProgramRun::waitForExit(int timeoutMs)
{
    if (!process_.waitForFinished(timeoutMs) || process_.exitStatus() != QProcess::NormalExit) {
        return std::nullopt;
    }
    return process_.exitCode();
}

}  // namespace voroquarn::testing
