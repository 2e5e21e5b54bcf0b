#include "log/LogHandler.h"

#include "log/LogFile.h"

#include <QDateTime>
#include <QDir>

#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace verdane {

namespace {

// Never freed: messages may come while static objects are destroyed.
std::atomic<LogFile*> logFile{nullptr};
std::atomic<bool> toTerminal{false};
QtMessageHandler previousHandler = nullptr;

const char* levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "error";
    case QtFatalMsg:
        return "fatal";
    }
    return "?";
}

bool isOurs(const QMessageLogContext& context)
{
    return context.category != nullptr && std::strncmp(context.category, "verdane.", 8) == 0;
}

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!isOurs(context)) {
        if (previousHandler != nullptr)
            previousHandler(type, context, message);
        return;
    }
    // A message raised while a line is being written is dropped, not nested.
    static thread_local bool writing = false;
    if (writing)
        return;
    writing = true;
    QByteArray text = message.toUtf8();
    // Names and addresses come from outside: each message stays one line.
    text.replace('\n', "\\n").replace('\r', "\\r");
    const QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() +
                            ' ' + levelName(type) + ' ' + context.category + ": " + text + '\n';
    if (LogFile* file = logFile.load())
        file->append(line);
    if (toTerminal.load()) {
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, line.constData(), line.size());
    }
    writing = false;
}

} // namespace

QString logFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // The base directory rules: a relative path is ignored.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/NaloSoft/Verdane");
}

QString logFilePath()
{
    return logFolder() + QStringLiteral("/verdane.log");
}

void installLogHandler()
{
    // Before the handler is in place: QDir may warn.
    QDir().mkpath(logFolder());
    logFile.store(new LogFile(logFilePath()));
    toTerminal.store(::isatty(STDERR_FILENO) == 1);
    static std::once_flag installed;
    std::call_once(installed, [] { previousHandler = qInstallMessageHandler(handleMessage); });
}

} // namespace verdane
