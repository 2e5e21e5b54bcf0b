#include "support/ContentServerProcess.h"

namespace verdane::test {

ContentServerProcess::ContentServerProcess(const QString& root, const QString& requestLog)
{
    QStringList arguments{sourceDir() + QStringLiteral("/tools/content_server.py"),
                          QStringLiteral("--root"), root, QStringLiteral("--port"),
                          QStringLiteral("0")};
    if (!requestLog.isEmpty())
        arguments << QStringLiteral("--log") << requestLog;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"), arguments);
    if (!process_.waitForStarted(5000))
        return;
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    const QByteArray line = process_.readLine().trimmed();
    if (line.startsWith("PORT "))
        port_ = line.mid(5).toInt();
}

ContentServerProcess::~ContentServerProcess()
{
    process_.kill();
    process_.waitForFinished(5000);
}

} // namespace verdane::test
