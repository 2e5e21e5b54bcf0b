#include "update/UpdateCheck.h"

#include "common/ContentServer.h"
#include "common/Shell.h"
#include "log/LogCategories.h"
#include "settings/ProgramSettings.h"
#include "update/HttpGetText.h"
#include "update/UpdaterProgram.h"
#include "update/VersionDecision.h"

#include <QFileInfo>

namespace verdane {

namespace {

constexpr quint16 UpdateServerPort = 80;

} // namespace

VersionDecision UpdateCheck::fetch(std::chrono::milliseconds fetchLimit)
{
    const QByteArray fetched = httpGetText(versionFileAddress(), UpdateServerPort, fetchLimit);
    return compareVersionText(ProgramSettings().installedVersion(), fetched);
}

UpdateCheck::Outcome UpdateCheck::outcome(const VersionDecision& decision)
{
    if (!decision.hasVersion)
        return Outcome::NoVersion;
    return decision.upToDate ? Outcome::UpToDate : Outcome::NewVersion;
}

UpdateCheck::Started UpdateCheck::startUpdate(const VersionDecision& decision,
                                              const std::function<void(const QString&)>& tellUser)
{
    // Without the updater, writing the request and closing would leave the
    // user with no program at all: say so and keep running.
    const QString updater = updaterProgram();
    if (!QFileInfo(updater).isFile()) {
        qCWarning(lcUpdate).noquote() << QStringLiteral("the updater %1 is missing").arg(updater);
        return {false, QStringLiteral("找不到升级程序 NaloUpdate.exe！")};
    }
    // The updater learns what to do from these two values only: when either is
    // not written, starting it and closing would leave the user with nothing.
    const Started notRecorded{false, QStringLiteral("无法记录更新请求，请检查配置文件是否可写。")};
    ProgramSettings settings;
    const SettingsWrite request = settings.requestUpdate();
    if (!request)
        return notRecorded;
    // A repaired settings file is told before the updater takes over.
    if (!request.keptFile.isEmpty())
        tellUser(request.repairNotice());
    // A version file without an update type starts nothing; Update stays written.
    if (!decision.hasUpdateType)
        return {};
    if (!settings.setUpdateType(decision.updateType))
        return notRecorded;
    shell().openProgram(updater);
    return {true, {}};
}

} // namespace verdane
