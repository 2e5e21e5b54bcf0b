#include "settings/Launcher.h"

#include "common/Shell.h"
#include "log/LogCategories.h"
#include "settings/LaunchTarget.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsNotices.h"
#include "settings/SettingsStore.h"

namespace verdane {

Launcher::Launcher(const LaunchTarget& target)
    : target_(target)
{
}

LaunchResult Launcher::startStored() const
{
    const QString stored = ProgramSettings().launchPath(target_);
    if (target_.isUsablePath(stored)) {
        shell().openProgram(stored);
        return {};
    }
    qCWarning(lcLaunch).noquote() << QStringLiteral("%1: no usable %2 in the stored path \"%3\"")
                                         .arg(target_.displayName, target_.executableName, stored);
    return {LaunchResult::Outcome::PathNeeded,
            QStringLiteral("启动平台失败！\r\n请检查设置的平台启动程序路径是否正确。")};
}

FileDialogRequest Launcher::pathRequest() const
{
    FileDialogRequest request;
    request.title = target_.fileDialogTitle;
    request.initialName = target_.executableName;
    request.defaultSuffix = QStringLiteral("exe");
    request.filter = target_.fileFilter;
    request.mustExist = true;
    return request;
}

LaunchResult Launcher::startChosen(const QString& chosen) const
{
    // The user picked this file: it starts even when it cannot be stored,
    // instead of silently starting nothing. A path too long to read back is
    // not written over the stored one.
    if (!SettingsStore::wouldReadBack(chosen)) {
        shell().openProgram(chosen);
        return {LaunchResult::Outcome::NotStored, pathTooLongNotice()};
    }
    ProgramSettings settings;
    const SettingsWrite write = settings.setLaunchPath(target_, chosen);
    const QString path = write ? settings.launchPath(target_) : QString();
    shell().openProgram(path.isEmpty() ? chosen : path);
    if (!write)
        return {LaunchResult::Outcome::NotStored, QString()};
    return {LaunchResult::Outcome::Started, write.repairNotice()};
}

} // namespace verdane
