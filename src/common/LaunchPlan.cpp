#include "common/LaunchPlan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace verdane {

bool isWindowsProgram(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"bat" || suffix == u"cmd")
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(2) == "MZ";
}

QString winePrefixOf(const QString& path)
{
    QDir dir = QFileInfo(path).absoluteDir();
    while (!dir.isRoot()) {
        if (dir.dirName() == u"drive_c") {
            dir.cdUp();
            return dir.absolutePath();
        }
        if (!dir.cdUp())
            break;
    }
    return {};
}

LaunchPlan planLaunch(const QString& path, const QString& wineProgram)
{
    LaunchPlan plan;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return plan;
    if (isWindowsProgram(path)) {
        if (wineProgram.isEmpty())
            return plan;
        plan.program = wineProgram;
        plan.arguments = {info.absoluteFilePath()};
        plan.winePrefix = winePrefixOf(info.absoluteFilePath());
        plan.startable = true;
        return plan;
    }
    if (!info.isExecutable())
        return plan;
    plan.program = info.absoluteFilePath();
    plan.startable = true;
    return plan;
}

} // namespace verdane
