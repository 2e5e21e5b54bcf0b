#include "update/ui/UpdateCheck.h"

#include "common/ContentServer.h"
#include "common/Prompt.h"
#include "common/Shell.h"
#include "log/LogCategories.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "update/GetModuleDir.h"
#include "update/HttpGetText.h"
#include "update/VersionDecision.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QWidget>

namespace verdane {

namespace {

constexpr quint16 kUpdateServerPort = 80;

} // namespace

int UpdateCheck::CheckForUpdate(QWidget* mainWindow)
{
    const QByteArray fetched = HttpGetText(versionFileAddress(), kUpdateServerPort);
    SettingsStore store;
    const QString installed =
        store.ReadSetting(SettingsRoot::LocalMachine, programKey(), currentVersionValue());
    const VersionDecision decision = CompareVersionText(installed, fetched);
    if (!decision.hasVersion)
        return NoVersion;
    if (decision.upToDate)
        return UpToDate;
    if (!confirmNotice(QStringLiteral("已经有新的版本了，现在需要更新？"), mainWindow))
        return Offered;

    // Without the updater, writing the request and closing would leave the
    // user with no program at all: say so and keep running.
    const QString updater = GetModuleDir() + QStringLiteral("NaloUpdate.exe");
    if (!QFileInfo(updater).isFile()) {
        qCWarning(lcUpdate).noquote() << QStringLiteral("the updater %1 is missing").arg(updater);
        showNotice(QStringLiteral("找不到升级程序 NaloUpdate.exe！"), mainWindow);
        return Offered;
    }
    store.WriteSetting(SettingsRoot::LocalMachine, programKey(), updateValue(),
                       QStringLiteral("1"));
    // A version file without an update type starts nothing; Update stays written.
    if (!decision.hasUpdateType)
        return Offered;
    store.WriteSetting(SettingsRoot::LocalMachine, programKey(), updateTypeValue(),
                       decision.updateType);
    shell().openProgram(updater);
    // Queued: at start-up the window closes right after it has appeared, and
    // from the link the handler returns first, like a posted close.
    if (mainWindow != nullptr)
        QMetaObject::invokeMethod(mainWindow, "close", Qt::QueuedConnection);
    return Offered;
}

void UpdateCheck::OnCheckUpdateLink(QWidget* mainWindow)
{
    if (CheckForUpdate(mainWindow) == UpToDate)
        showNotice(QStringLiteral("当前客户端版本是最新的，不需要更新！"), mainWindow);
}

} // namespace verdane
