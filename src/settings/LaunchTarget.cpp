#include "settings/LaunchTarget.h"

namespace verdane {

bool LaunchTarget::isUsablePath(const QString& path) const
{
    return !path.isEmpty() && path.contains(executableName, Qt::CaseSensitive);
}

const std::array<LaunchTarget, launchTargetCount>& launchTargets()
{
    static const std::array<LaunchTarget, launchTargetCount> table{{
        {0, QStringLiteral("War3冰封王座"), QStringLiteral("War3.exe"), 1043, 3000,
         QStringLiteral("冰封王座 (War3.exe)|War3.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 War3.exe")},
        {1, QStringLiteral("VS对战平台"), QStringLiteral("VSClient.exe"), 1044, 3002,
         QStringLiteral("VS对战平台 (VSClient.exe)|VSClient.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 VSClient.exe")},
        {2, QStringLiteral("浩方对战平台"), QStringLiteral("GameClient.exe"), 1045, 3001,
         QStringLiteral("浩方对战平台 (GameClient.exe)|GameClient.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 GameClient.exe")},
        {3, QStringLiteral("AA对战平台"), QStringLiteral("AAClientOriginal.exe"), 1046, 3003,
         QStringLiteral(
             "AA对战平台 (AAClientOriginal.exe)|AAClientOriginal.exe|All Files (*.*)|*.*||"),
         QStringLiteral("请手动设置路径 AAClientOriginal.exe")},
        {4, QStringLiteral("掌门人对战平台"), QStringLiteral("ZmrClient.exe"), 1047, 3004,
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
