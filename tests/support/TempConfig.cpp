#include "support/TempConfig.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace verdane::test {

TempConfig::TempConfig()
    : oldHome_(qgetenv("XDG_CONFIG_HOME"))
    , oldDirs_(qgetenv("XDG_CONFIG_DIRS"))
{
    QDir().mkpath(userDir());
    QDir().mkpath(systemDir());
    qputenv("XDG_CONFIG_HOME", userDir().toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", systemDir().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, userDir());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, systemDir());
}

TempConfig::~TempConfig()
{
    qputenv("XDG_CONFIG_HOME", oldHome_);
    qputenv("XDG_CONFIG_DIRS", oldDirs_);
}

QString TempConfig::userDir() const
{
    return dir_.path() + QStringLiteral("/config");
}

QString TempConfig::systemDir() const
{
    return dir_.path() + QStringLiteral("/xdg");
}

QString TempConfig::userFile() const
{
    return userDir() + QStringLiteral("/NaloSoft/Verdane.conf");
}

QString TempConfig::systemFile() const
{
    return systemDir() + QStringLiteral("/NaloSoft/Verdane.conf");
}

void TempConfig::writeUserFile(const QByteArray& content) const
{
    writeFile(userFile(), content);
}

void TempConfig::writeSystemFile(const QByteArray& content) const
{
    writeFile(systemFile(), content);
}

} // namespace verdane::test
