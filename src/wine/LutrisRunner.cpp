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

std::optional<WineRunner> lutrisRunner(const QString& prefix, const QString& home)
{
    if (prefix.isEmpty())
        return std::nullopt;
    const QString builds = lutrisDataFolder(home) + QLatin1String("/runners/wine/");
    for (const QString& folder : lutrisConfigFolders(home)) {
        const QDir games(folder + QLatin1String("/games"));
        for (const QString& name :
             games.entryList({QStringLiteral("*.yml")}, QDir::Files, QDir::Name)) {
            const std::optional<YAML::Node> game = loadYamlFile(games.filePath(name));
            if (!game ||
                !isSameFolder(expandHome(yamlText(*game, {"game", "prefix"}), home), prefix))
                continue;
            QString version = yamlText(*game, {"wine", "version"});
            if (version.isEmpty()) {
                const std::optional<YAML::Node> runner =
                    loadYamlFile(folder + QLatin1String("/runners/wine.yml"));
                if (runner)
                    version = yamlText(*runner, {"wine", "version"});
            }
            // A version is a folder name; anything else is not a Lutris build.
            if (version.isEmpty() || version.contains(u'/') || version.startsWith(u'.'))
                continue;
            if (std::optional<WineRunner> found = wineBuildIn(builds + version))
                return found;
        }
    }
    return std::nullopt;
}

} // namespace verdane
