#pragma once

#include "support/Files.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace verdane::test {

// A fresh user settings file and machine-wide settings folder in a temporary
// directory: XDG_CONFIG_HOME and XDG_CONFIG_DIRS point there (for child
// processes too) and QSettings is told the same (it caches those paths).
class TempConfig {
public:
    TempConfig();
    ~TempConfig();

    QString root() const { return dir_.path(); }
    QString userDir() const { return dir_.filePath(QStringLiteral("config")); } // XDG_CONFIG_HOME
    QString systemDir() const { return dir_.filePath(QStringLiteral("xdg")); }  // XDG_CONFIG_DIRS
    QString userFile() const { return userDir() + QStringLiteral("/NaloSoft/Verdane.conf"); }
    QString systemFile() const { return systemDir() + QStringLiteral("/NaloSoft/Verdane.conf"); }
    void writeUserFile(const QByteArray& content) const { writeFile(userFile(), content); }
    void writeSystemFile(const QByteArray& content) const { writeFile(systemFile(), content); }

private:
    QTemporaryDir dir_;
    QByteArray oldHome_ = qgetenv("XDG_CONFIG_HOME");
    QByteArray oldDirs_ = qgetenv("XDG_CONFIG_DIRS");
};

} // namespace verdane::test
