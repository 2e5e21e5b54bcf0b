#include "wine/ManagerFolders.h"
#include "wine/ManagerRunners.h"
#include "wine/WineBuild.h"
#include "wine/YamlFile.h"

#include <QDir>

namespace verdane {

namespace {

// Lutris expands a leading "~" in the paths of its configurations.
QString expandHome(const QString& path, const QString& home)
{
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        return home + path.mid(1);
    return path;
}

} // namespace

std::optional<WineRunner> LutrisRunner(const QString& prefix, const QString& home)
{
    if (prefix.isEmpty())
        return std::nullopt;
    const QString builds = LutrisDataFolder(home) + QLatin1String("/runners/wine/");
    for (const QString& folder : LutrisConfigFolders(home)) {
        const QDir games(folder + QLatin1String("/games"));
        for (const QString& name :
             games.entryList({QStringLiteral("*.yml")}, QDir::Files, QDir::Name)) {
            const std::optional<YAML::Node> game = LoadYamlFile(games.filePath(name));
            if (!game ||
                !IsSameFolder(expandHome(YamlText(*game, {"game", "prefix"}), home), prefix))
                continue;
            QString version = YamlText(*game, {"wine", "version"});
            if (version.isEmpty()) {
                const std::optional<YAML::Node> runner =
                    LoadYamlFile(folder + QLatin1String("/runners/wine.yml"));
                if (runner)
                    version = YamlText(*runner, {"wine", "version"});
            }
            // A version is a folder name; anything else is not a Lutris build.
            if (version.isEmpty() || version.contains(u'/') || version.startsWith(u'.'))
                continue;
            if (std::optional<WineRunner> found = WineBuildIn(builds + version))
                return found;
        }
    }
    return std::nullopt;
}

} // namespace verdane
