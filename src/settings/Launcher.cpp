#include "settings/Launcher.h"

#include "common/Prompt.h"
#include "common/Shell.h"
#include "log/LogCategories.h"
#include "settings/LaunchTarget.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsNotices.h"
#include "settings/SettingsStore.h"

namespace verdane {

void Launcher::startTarget(QObject* owner, int buttonId)
{
    const LaunchTarget* target = launchTargetForButton(buttonId);
    if (target == nullptr)
        return;

    ProgramSettings settings;
    const QString stored = settings.launchPath(*target);
    if (target->isUsablePath(stored)) {
        shell().openProgram(stored);
        return;
    }

    qCWarning(lcLaunch).noquote() << QStringLiteral("%1: no usable %2 in the stored path \"%3\"")
                                         .arg(target->displayName, target->executableName, stored);
    showNotice(QStringLiteral("启动平台失败！\r\n请检查设置的平台启动程序路径是否正确。"), owner);
    FileDialogRequest request;
    request.title = target->fileDialogTitle;
    request.initialName = target->executableName;
    request.defaultSuffix = QStringLiteral("exe");
    request.filter = target->fileFilter;
    request.mustExist = true;
    const QString chosen = askOpenFile(request, owner);
    if (chosen.isEmpty())
        return;

    // The user picked this file: it starts even when it cannot be stored,
    // instead of silently starting nothing. A path too long to read back is
    // not written over the stored one.
    if (!SettingsStore::wouldReadBack(chosen)) {
        showNotice(pathTooLongNotice(), owner);
        shell().openProgram(chosen);
        return;
    }
    QString path;
    if (settings.setLaunchPath(*target, chosen))
        path = settings.launchPath(*target);
    shell().openProgram(path.isEmpty() ? chosen : path);
}

} // namespace verdane
