#include "update/UpdateCheck.h"

#include "common/ContentServer.h"
#include "common/ProgramFolder.h"
#include "common/Prompt.h"
#include "common/Shell.h"
#include "log/LogCategories.h"
#include "settings/ProgramSettings.h"
#include "update/HttpGetText.h"
#include "update/UpdaterProgram.h"
#include "update/VersionDecision.h"

#include <QFileInfo>
#include <QMetaObject>

namespace verdane {

namespace {

constexpr quint16 UpdateServerPort = 80;

} // namespace

UpdateCheck::UpdateCheck(std::function<void()> closeMainWindow)
    : closeMainWindow_(std::move(closeMainWindow))
{
}

int UpdateCheck::checkForUpdate(QObject* mainWindow, std::chrono::milliseconds fetchLimit)
{
    const QByteArray fetched = httpGetText(versionFileAddress(), UpdateServerPort, fetchLimit);
    ProgramSettings settings;
    const QString installed = settings.installedVersion();
    const VersionDecision decision = compareVersionText(installed, fetched);
    if (!decision.hasVersion)
        return NoVersion;
    if (decision.upToDate)
        return UpToDate;
    if (!confirmNotice(QStringLiteral("已经有新的版本了，现在需要更新？"), mainWindow))
        return Offered;

    // Without the updater, writing the request and closing would leave the
    // user with no program at all: say so and keep running.
    const QString updater = updaterProgram();
    if (!QFileInfo(updater).isFile()) {
        qCWarning(lcUpdate).noquote() << QStringLiteral("the updater %1 is missing").arg(updater);
        showNotice(QStringLiteral("找不到升级程序 NaloUpdate.exe！"), mainWindow);
        return Offered;
    }
    // The updater learns what to do from these two values only: when either is
    // not written, starting it and closing would leave the user with nothing.
    const auto notRecorded = [mainWindow] {
        showNotice(QStringLiteral("无法记录更新请求，请检查配置文件是否可写。"), mainWindow);
        return Offered;
    };
    const SettingsWrite request = settings.requestUpdate();
    if (!request)
        return notRecorded();
    if (!request.keptFile.isEmpty())
        showNotice(request.repairNotice(), mainWindow);
    // A version file without an update type starts nothing; Update stays written.
    if (!decision.hasUpdateType)
        return Offered;
    if (!settings.setUpdateType(decision.updateType))
        return notRecorded();
    shell().openProgram(updater);
    // Queued: at start-up the window closes right after it has appeared, and
    // from the link the handler returns first, like a posted close.
    if (mainWindow != nullptr && closeMainWindow_)
        QMetaObject::invokeMethod(mainWindow, closeMainWindow_, Qt::QueuedConnection);
    return Offered;
}

void UpdateCheck::onCheckUpdateLink(QObject* mainWindow)
{
    if (checkForUpdate(mainWindow) == UpToDate)
        showNotice(QStringLiteral("当前客户端版本是最新的，不需要更新！"), mainWindow);
}

} // namespace verdane
