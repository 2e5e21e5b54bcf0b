#include "wine/ManagerFolders.h"
#include "wine/ManagerRunners.h"
#include "wine/WineBuild.h"
#include "wine/YamlFile.h"

#include <QDir>

namespace verdane {

std::optional<WineRunner> bottlesRunner(const QString& prefix, const QString& home)
{
    if (prefix.isEmpty())
        return std::nullopt;
    const std::optional<YAML::Node> bottle = loadYamlFile(prefix + QLatin1String("/bottle.yml"));
    if (!bottle)
        return std::nullopt;
    const QString runner = yamlText(*bottle, {"Runner"});
    if (runner.isEmpty() || runner.startsWith(QLatin1String("sys-")) || runner.startsWith(u'.'))
        return std::nullopt;
    // Newer Bottles versions also name a runner by its full path.
    if (QDir::isAbsolutePath(runner))
        return wineBuildIn(runner);
    if (runner.contains(u'/'))
        return std::nullopt;
    // The runners of the Bottles installation whose bottles folder holds the
    // bottle come first; a bottle kept elsewhere uses either installation's.
    QStringList data = bottlesDataFolders(home);
    const QString holder = QDir::cleanPath(prefix + QLatin1String("/../.."));
    if (isSameFolder(data.last(), holder))
        data.move(data.size() - 1, 0);
    for (const QString& folder : data) {
        if (std::optional<WineRunner> found =
                wineBuildIn(folder + QLatin1String("/runners/") + runner))
            return found;
    }
    return std::nullopt;
}

} // namespace verdane
