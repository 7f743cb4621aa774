#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

namespace voroquarn::testing {

// What a run of the program as a command gave.
struct CommandResult {
    int status = -1;  // -1: it did not end normally within the time
    QString out;
    QString err;
    QByteArray outBytes;  // standard output as it came, for binary output
    QByteArray errBytes;  // standard error as it came
};

// Runs the program to completion without a display, so that nothing it does can open a
// window. `input` goes to its standard input; `environment` changes are made on top of
// the test's own environment, an empty value removing the variable. `inChild` runs in the
// new process just before the program starts, to change its standard streams.
inline CommandResult runCommand(const QString& program, const QStringList& arguments,
                                const QByteArray& input = {},
                                const QList<QPair<QString, QString>>& environment = {},
                                const std::function<void()>& inChild = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    for (const auto& [name, value] : environment) {
        if (value.isEmpty()) {
            env.remove(name);
        } else {
            env.insert(name, value);
        }
    }
    process.setProcessEnvironment(env);
    if (inChild) {
        process.setChildProcessModifier(inChild);
    }
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    return {process.exitCode(), QString::fromUtf8(out), QString::fromUtf8(err), out, err};
}

}  // namespace voroquarn::testing
