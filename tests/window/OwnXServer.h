#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace voroquarn::testing {

// An X server of the test's own, on a display number it picks itself: Xvfb takes the
// first free one and writes it out once it accepts connections.
class OwnXServer {
public:
    // `extraArguments` go to Xvfb as they are, such as -ac to let every user connect.
    explicit OwnXServer(const QStringList& extraArguments = {});
    ~OwnXServer() { stop(); }
    OwnXServer(const OwnXServer&) = delete;
    OwnXServer& operator=(const OwnXServer&) = delete;

    // Empty when the server did not start.
    const QString& display() const { return display_; }

    // Ends the server as an X server ends: it closes every connection and cleans up.
    bool stop();

private:
    QProcess server_;
    QString display_;
};

}  // namespace voroquarn::testing
