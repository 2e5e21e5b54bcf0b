#include "settings/ProgramSettings.h"

#include "settings/LaunchTarget.h"
#include "settings/SettingValue.h"

#include <array>

namespace verdane {

namespace {

// The keys of the settings file. A launch target's full path and the tools
// folder are "ClientPath" in a group of their own; the installed version and
// the update request sit at the top.
SettingValue<QString> clientPath(const QString& group)
{
    return SettingValue<QString>(group + QStringLiteral("/ClientPath"));
}

SettingValue<QString> targetPath(const LaunchTarget& target)
{
    // In table order; the AA platform's group is "QQ".
    static const std::array<QString, LaunchTargetCount> groups{
        QStringLiteral("War3"), QStringLiteral("VS"),  QStringLiteral("HF"),
        QStringLiteral("QQ"),   QStringLiteral("Zmr"),
    };
    return clientPath(groups[static_cast<std::size_t>(target.index)]);
}

SettingValue<QString> toolsFolderValue()
{
    return clientPath(QStringLiteral("Tools"));
}

} // namespace

QString ProgramSettings::launchPath(const LaunchTarget& target) const
{
    return targetPath(target).get();
}

SettingsWrite ProgramSettings::setLaunchPath(const LaunchTarget& target, const QString& path)
{
    return remember(targetPath(target).set(path));
}

QString ProgramSettings::gamePath() const
{
    return launchPath(launchTargets()[0]);
}

QString ProgramSettings::toolsFolder() const
{
    return toolsFolderValue().get();
}

SettingsWrite ProgramSettings::setToolsFolder(const QString& folder)
{
    return remember(toolsFolderValue().set(folder));
}

QString ProgramSettings::mapsFolder() const
{
    const QString game = gamePath();
    return game.isEmpty() ? QString() : mapsFolderFor(game);
}

QString ProgramSettings::downloadFolder(bool tools) const
{
    return tools ? toolsFolder() : mapsFolder();
}

QString ProgramSettings::mapsFolderFor(const QString& war3Path)
{
    const qsizetype slash = war3Path.lastIndexOf(u'/');
    const QString gameFolder = slash < 0 ? QString() : war3Path.left(slash);
    return gameFolder + QStringLiteral("/Maps/NaloBox");
}

QString ProgramSettings::installedVersion() const
{
    return SettingValue<QString>(QStringLiteral("Curr_Version")).get();
}

SettingsWrite ProgramSettings::requestUpdate()
{
    return remember(SettingValue<bool>(QStringLiteral("Update")).set(true));
}

SettingsWrite ProgramSettings::setUpdateType(const QString& type)
{
    return remember(SettingValue<QString>(QStringLiteral("UpdateType")).set(type));
}

QString ProgramSettings::wineCommand() const
{
    return SettingValue<QString>(QStringLiteral("Wine/Command")).get();
}

SettingsWrite ProgramSettings::remember(SettingsWrite write)
{
    keptFile_ = write.keptFile;
    return write;
}

} // namespace verdane
