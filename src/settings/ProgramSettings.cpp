#include "settings/ProgramSettings.h"

#include "settings/LaunchTarget.h"

#include <array>

namespace verdane {

namespace {

constexpr SettingsRoot Root = SettingsRoot::LocalMachine;

// The value that holds a launch target's full path, and the tools folder.
QString clientPathValue()
{
    return QStringLiteral("ClientPath");
}

QString toolsKey()
{
    return programSubkey(QStringLiteral("Tools"));
}

// Values of the program key itself.
QString currentVersionValue()
{
    return QStringLiteral("Curr_Version");
}
QString updateValue()
{
    return QStringLiteral("Update");
}
QString updateTypeValue()
{
    return QStringLiteral("UpdateType");
}

// The key of each launch target's path, in table order.
QString targetKey(const LaunchTarget& target)
{
    static const std::array<QString, LaunchTargetCount> subkeys{
        QStringLiteral("War3"), QStringLiteral("VS"),  QStringLiteral("HF"),
        QStringLiteral("QQ"),   QStringLiteral("Zmr"),
    };
    return programSubkey(subkeys[static_cast<std::size_t>(target.index)]);
}

} // namespace

QString ProgramSettings::launchPath(const LaunchTarget& target) const
{
    return store_.readSetting(Root, targetKey(target), clientPathValue());
}

bool ProgramSettings::setLaunchPath(const LaunchTarget& target, const QString& path)
{
    return store_.writeSetting(Root, targetKey(target), clientPathValue(), path);
}

QString ProgramSettings::gamePath() const
{
    return launchPath(launchTargets()[0]);
}

QString ProgramSettings::toolsFolder() const
{
    return store_.readSetting(Root, toolsKey(), clientPathValue());
}

bool ProgramSettings::setToolsFolder(const QString& folder)
{
    return store_.writeSetting(Root, toolsKey(), clientPathValue(), folder);
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
    return store_.readSetting(Root, programKey(), currentVersionValue());
}

bool ProgramSettings::requestUpdate()
{
    return store_.writeSetting(Root, programKey(), updateValue(), QStringLiteral("1"));
}

bool ProgramSettings::setUpdateType(const QString& type)
{
    return store_.writeSetting(Root, programKey(), updateTypeValue(), type);
}

QString ProgramSettings::wineCommand() const
{
    return store_.readSetting(Root, programSubkey(QStringLiteral("Wine")),
                              QStringLiteral("Command"));
}

QList<std::pair<QString, QString>> ProgramSettings::carriedValues()
{
    QList<std::pair<QString, QString>> values{{programKey(), currentVersionValue()},
                                              {programKey(), updateValue()},
                                              {programKey(), updateTypeValue()},
                                              {toolsKey(), clientPathValue()}};
    for (const LaunchTarget& target : launchTargets())
        values.append({targetKey(target), clientPathValue()});
    return values;
}

} // namespace verdane
