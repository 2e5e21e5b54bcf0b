#include "settings/LaunchTarget.h"

#include "common/ControlIds.h"

namespace verdane {

bool LaunchTarget::isUsablePath(const QString& path) const
{
    return !path.isEmpty() && path.contains(executableName, Qt::CaseSensitive);
}

const std::array<LaunchTarget, LaunchTargetCount>& launchTargets()
{
    static const std::array<LaunchTarget, LaunchTargetCount> table{{
        {0, QStringLiteral("War3冰封王座"), QStringLiteral("War3.exe"),
         ControlId::FirstLaunchButton,
         QStringLiteral("冰封王座 (War3.exe)|War3.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 War3.exe")},
        {1, QStringLiteral("VS对战平台"), QStringLiteral("VSClient.exe"),
         ControlId::FirstLaunchButton + 2,
         QStringLiteral("VS对战平台 (VSClient.exe)|VSClient.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 VSClient.exe")},
        {2, QStringLiteral("浩方对战平台"), QStringLiteral("GameClient.exe"),
         ControlId::FirstLaunchButton + 1,
         QStringLiteral("浩方对战平台 (GameClient.exe)|GameClient.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 GameClient.exe")},
        {3, QStringLiteral("AA对战平台"), QStringLiteral("AAClientOriginal.exe"),
         ControlId::FirstLaunchButton + 3,
         QStringLiteral(
             "AA对战平台 (AAClientOriginal.exe)|AAClientOriginal.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 AAClientOriginal.exe")},
        {4, QStringLiteral("掌门人对战平台"), QStringLiteral("ZmrClient.exe"),
         ControlId::FirstLaunchButton + 4,
         QStringLiteral("掌门人对战平台 (ZmrClient.exe)|ZmrClient.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 ZmrClient.exe")},
    }};
    return table;
}

const LaunchTarget* launchTargetForButton(int buttonId)
{
    for (const LaunchTarget& target : launchTargets()) {
        if (target.launchButtonId == buttonId)
            return &target;
    }
    return nullptr;
}

} // namespace verdane
