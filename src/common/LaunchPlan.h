#pragma once

#include <QString>
#include <QStringList>

namespace verdane {

// How a program file is started on this system: Windows programs through wine,
// inside the prefix that holds them; native executables directly.
struct LaunchPlan {
    QString program;
    QStringList arguments;
    QString winePrefix; // empty: leave WINEPREFIX as it is
    bool startable = false;
};

bool isWindowsProgram(const QString& path);
// The folder whose drive_c holds the path, or empty when there is none.
QString winePrefixOf(const QString& path);
// wineProgram: the wine executable found on PATH (empty when there is none).
LaunchPlan planLaunch(const QString& path, const QString& wineProgram);

} // namespace verdane
