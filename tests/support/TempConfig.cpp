#include "support/TempConfig.h"

#include <QDir>
#include <QSettings>

namespace verdane::test {

TempConfig::TempConfig()
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

} // namespace verdane::test
