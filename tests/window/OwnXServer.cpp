#include "OwnXServer.h"

namespace voroquarn::testing {

OwnXServer::OwnXServer(const QStringList& extraArguments)
{
    server_.setProcessChannelMode(QProcess::SeparateChannels);
    server_.setStandardErrorFile(QProcess::nullDevice());
    server_.start("Xvfb", QStringList{"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}
                              << extraArguments);
    if (!server_.waitForStarted()) {
        return;
    }
    QByteArray number;
    while (!number.contains('\n') && server_.waitForReadyRead(10000)) {
        number += server_.readAllStandardOutput();
    }
    if (!number.trimmed().isEmpty()) {
        display_ = ":" + QString::fromLatin1(number.trimmed());
    }
}

bool OwnXServer::stop()
{
    if (server_.state() == QProcess::NotRunning) {
        return true;
    }
    server_.terminate();
    if (server_.waitForFinished(10000)) {
        return true;
    }
    server_.kill();
    server_.waitForFinished();
    return false;
}

}  // namespace voroquarn::testing
