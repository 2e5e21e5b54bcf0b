#pragma once

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
    QString userDir() const;   // XDG_CONFIG_HOME
    QString systemDir() const; // XDG_CONFIG_DIRS
    QString userFile() const;  // <userDir>/NaloSoft/Verdane.conf
    QString systemFile() const;
    void writeUserFile(const QByteArray& content) const;
    void writeSystemFile(const QByteArray& content) const;

private:
    QTemporaryDir dir_;
    QByteArray oldHome_;
    QByteArray oldDirs_;
};

} // namespace verdane::test
