#pragma once

#include "common/WineRunner.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

namespace verdane {

// How a program file is started on this system: Windows programs through wine,
// inside the prefix that holds them; native executables directly.
struct LaunchPlan {
    QString program;
    QStringList arguments;
    QString winePrefix;                 // empty: leave WINEPREFIX as it is
    QMap<QString, QString> environment; // further variables the program needs
    bool startable = false;
};

bool isWindowsProgram(const QString& path);
// The folder whose drive_c holds the path, or empty when there is none.
QString winePrefixOf(const QString& path);
// wineProgram: the wine executable found on PATH (empty when there is none).
LaunchPlan planLaunch(const QString& path, const QString& wineProgram);
// runnerFor: the Wine that runs programs of a prefix (empty prefix: in none).
using RunnerChoice = std::function<WineRunner(const QString& prefix)>;
LaunchPlan planLaunch(const QString& path, const RunnerChoice& runnerFor);

} // namespace verdane
