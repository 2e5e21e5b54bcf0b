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

namespace {

QString prefixAbove(const QString& filePath)
{
    QDir dir = QFileInfo(filePath).absoluteDir();
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

} // namespace

QString winePrefixOf(const QString& path)
{
    const QFileInfo info(path);
    const QString prefix = prefixAbove(info.absoluteFilePath());
    if (!prefix.isEmpty())
        return prefix;
    // A file picked through a prefix's dosdevices/c: link (or any other link)
    // names no drive_c; the folder it really lives in does.
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? QString() : prefixAbove(real);
}

LaunchPlan planLaunch(const QString& path, const QString& wineProgram)
{
    return planLaunch(path, [&](const QString&) { return WineRunner{wineProgram, {}}; });
}

LaunchPlan planLaunch(const QString& path, const RunnerChoice& runnerFor)
{
    LaunchPlan plan;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return plan;
    if (isWindowsProgram(path)) {
        const QString prefix = winePrefixOf(info.absoluteFilePath());
        const WineRunner runner = runnerFor(prefix);
        if (runner.program.isEmpty())
            return plan;
        plan.program = runner.program;
        plan.arguments = {info.absoluteFilePath()};
        plan.winePrefix = prefix;
        plan.environment = runner.environment;
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
