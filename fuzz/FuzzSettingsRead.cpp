// The settings read of an arbitrary settings file: the input is written as the
// user's file under a temporary XDG_CONFIG_HOME and a few values are read. An
// input that begins with "W" also gets a value written, which must read back.

#include "FuzzCheck.h"

#include "common/Cp936.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>

using verdane::fuzz::require;

namespace {

QString g_root;
QString g_userFile;
long g_round = 0;

void removeRoot()
{
    QDir(g_root).removeRecursively();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/verdane-fuzz-settings-XXXXXX";
    const char* root = ::mkdtemp(pattern);
    require(root != nullptr, "a temporary folder");
    const QString config = QString::fromLocal8Bit(root) + QStringLiteral("/config");
    const QString system = QString::fromLocal8Bit(root) + QStringLiteral("/xdg");
    QDir().mkpath(config + QStringLiteral("/NaloSoft"));
    QDir().mkpath(system);
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(config).constData(), 1);
    ::setenv("XDG_CONFIG_DIRS", QFile::encodeName(system).constData(), 1);
    // QSettings keeps the paths it saw first: set them once, for the whole run.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, system);
    g_userFile = config + QStringLiteral("/NaloSoft/Verdane.conf");
    g_root = QString::fromLocal8Bit(root);
    std::atexit(removeRoot); // libFuzzer ends a timed run with exit()
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        QFile file(g_userFile);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the settings file opens");
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    // QSettings rereads a file only when its size or time changed: a new time
    // for every input, so an input of the same size is never read from the cache.
    ++g_round;
    const timespec times[2] = {{1000000000 + g_round, 0}, {1000000000 + g_round, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(g_userFile).constData(), times, 0);

    using namespace verdane;
    const SettingsRoot root = SettingsRoot::LocalMachine;
    const QString keys[][2] = {
        {programKey(), currentVersionValue()},
        {programKey(), updateTypeValue()},
        {programSubkey(QStringLiteral("War3")), clientPathValue()},
        {programSubkey(toolsSubkey()), clientPathValue()},
        {programSubkey(QStringLiteral("General")), clientPathValue()},
    };
    SettingsStore store;
    for (const auto& key : keys) {
        const QString value = store.ReadSetting(root, key[0], key[1]);
        require(cp936Length(value) < 260, "values of 260 bytes or more read as not set");
    }
    if (size > 0 && data[0] == 'W') {
        const QString path = QStringLiteral("/games/工具/fuzz");
        const QString tools = programSubkey(toolsSubkey());
        if (store.WriteSetting(root, tools, clientPathValue(), path))
            require(store.ReadSetting(root, tools, clientPathValue()) == path,
                    "a stored value reads back");
        // An unreadable input was kept aside: no need to keep every one.
        if (!store.KeptUnreadableFile().isEmpty())
            QFile::remove(store.KeptUnreadableFile());
    }
    return 0;
}
