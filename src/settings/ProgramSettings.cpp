#include "settings/ProgramSettings.h"

#include "settings/LaunchTarget.h"
#include "settings/SettingValue.h"

#include <QSettings>

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

bool ProgramSettings::updateRequested() const
{
    return SettingValue<bool>(QStringLiteral("Update")).get();
}

QString ProgramSettings::updateType() const
{
    return SettingValue<QString>(QStringLiteral("UpdateType")).get();
}

SettingsWrite ProgramSettings::finishUpdate(const QString& version)
{
    const SettingsWrite stored =
        remember(SettingValue<QString>(QStringLiteral("Curr_Version")).set(version));
    if (!stored)
        return stored;
    SettingsWrite cleared = SettingValue<QString>(QStringLiteral("Update")).set(QString());
    if (cleared.keptFile.isEmpty())
        cleared.keptFile = stored.keptFile;
    return remember(cleared);
}

void ProgramSettings::forgetUserVersion(const QString& version)
{
    // The user's own file alone: the machine-wide value must stay.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("NaloSoft"),
                       QStringLiteral("Verdane"));
    settings.setFallbacksEnabled(false);
    const QString key = QStringLiteral("Curr_Version");
    if (settings.status() == QSettings::NoError && settings.value(key).toString() == version) {
        settings.remove(key);
        settings.sync();
    }
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
