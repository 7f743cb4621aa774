#include "XSession.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>

namespace voroquarn::testing {

std::optional<QString> XSession::run(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess tool;
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

bool XSession::ensureWindowManager()
{
    if (run("wmctrl", {"-m"})) {
        return true;
    }
    if (!QProcess::startDetached("openbox", {})) {
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (run("wmctrl", {"-m"})) {
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
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool XSession::requestClose(const QString& windowId)
{
    return run("wmctrl", {"-i", "-c", windowId}).has_value();
}

ProgramRun::ProgramRun(const QStringList& arguments)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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
