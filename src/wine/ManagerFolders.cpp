#include "wine/ManagerFolders.h"

#include <QDir>
#include <QFileInfo>

namespace verdane {

namespace {

// An XDG base folder: the variable when it holds an absolute path, else the default.
QString xdgFolder(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : fallback;
}

QString dataHome(const QString& home)
{
    return xdgFolder("XDG_DATA_HOME", home + QLatin1String("/.local/share"));
}

} // namespace

QStringList lutrisConfigFolders(const QString& home)
{
    return {xdgFolder("XDG_CONFIG_HOME", home + QLatin1String("/.config")) +
                QLatin1String("/lutris"),
            lutrisDataFolder(home)};
}

QString lutrisDataFolder(const QString& home)
{
    return dataHome(home) + QLatin1String("/lutris");
}

QStringList bottlesDataFolders(const QString& home)
{
    return {dataHome(home) + QLatin1String("/bottles"),
            home + QLatin1String("/.var/app/com.usebottles.bottles/data/bottles")};
}

QStringList steamRootFolders(const QString& home)
{
    const QString flatpak = home + QLatin1String("/.var/app/com.valvesoftware.Steam");
    const QString candidates[] = {
        home + QLatin1String("/.steam/root"),           home + QLatin1String("/.steam/steam"),
        dataHome(home) + QLatin1String("/Steam"),       flatpak + QLatin1String("/data/Steam"),
        flatpak + QLatin1String("/.local/share/Steam"),
    };
    QStringList roots;
    for (const QString& candidate : candidates) {
        const QString real = QFileInfo(candidate).canonicalFilePath();
        if (!real.isEmpty() && QFileInfo(real).isDir() && !roots.contains(real))
            roots.append(real);
    }
    return roots;
}

QStringList managerPrefixParents(const QString& home)
{
    QStringList parents{home + QLatin1String("/Games")};
    for (const QString& data : bottlesDataFolders(home))
        parents.append(data + QLatin1String("/bottles"));
    return parents;
}

bool isSameFolder(const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return false;
    const QString realFirst = QFileInfo(first).canonicalFilePath();
    const QString realSecond = QFileInfo(second).canonicalFilePath();
    if (!realFirst.isEmpty() && !realSecond.isEmpty())
        return realFirst == realSecond;
    return QDir::cleanPath(first) == QDir::cleanPath(second);
}

} // namespace verdane
