// The settings read of an arbitrary settings file: the input is written as the
// user's file under a temporary XDG_CONFIG_HOME and a few values are read. An
// input that begins with "W" also gets a value written, which must read back
// and leave every other value that did read as it was.

#include "FuzzCheck.h"

#include "common/Cp936.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>

using verdane::fuzz::require;

namespace {

QString g_root;
long g_round = 0;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/verdane-fuzz-settings-XXXXXX";
    require(::mkdtemp(pattern) != nullptr, "a temporary folder");
    g_root = QString::fromLocal8Bit(pattern);
    QDir().mkpath(g_root + QStringLiteral("/config/NaloSoft"));
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(g_root + QStringLiteral("/config")).constData(),
             1);
    ::setenv("XDG_CONFIG_DIRS", QFile::encodeName(g_root + QStringLiteral("/xdg")).constData(), 1);
    // QSettings keeps the paths it saw first: set them once, for the whole run.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       g_root + QStringLiteral("/config"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       g_root + QStringLiteral("/xdg"));
    std::atexit([] { QDir(g_root).removeRecursively(); }); // libFuzzer ends a timed run with exit()
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = g_root + QStringLiteral("/config/NaloSoft/Verdane.conf");
    {
        QFile out(file);
        require(out.open(QIODevice::WriteOnly | QIODevice::Truncate), "the settings file opens");
        out.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    // QSettings rereads a file only when its size or time changed: a new time
    // for every input, so an input of the same size is never read from the cache.
    ++g_round;
    const timespec times[2] = {{1000000000 + g_round, 0}, {1000000000 + g_round, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0);

    using verdane::SettingsStore;
    const QString tools = QStringLiteral("Tools/ClientPath");
    const QString others[] = {QStringLiteral("Curr_Version"), QStringLiteral("War3/ClientPath"),
                              QStringLiteral("Wine/Command")};
    QStringList before;
    for (const QString& key : others)
        before.append(SettingsStore::value(key));
    for (const QString& value : before + QStringList{SettingsStore::value(tools)})
        require(verdane::cp936Length(value) < 260, "values of 260 bytes or more read as not set");
    const QString path = QStringLiteral("/games/工具/fuzz");
    if (size > 0 && data[0] == 'W') {
        const verdane::SettingsWrite write = SettingsStore::setValue(tools, path);
        if (write)
            require(SettingsStore::value(tools) == path, "a stored value reads back");
        for (qsizetype i = 0; write && i < before.size(); ++i)
            require(SettingsStore::value(others[i]) == before[i], "a write keeps what did read");
        // An unreadable input was kept aside: no need to keep every one.
        if (!write.keptFile.isEmpty())
            QFile::remove(write.keptFile);
    }
    return 0;
}
