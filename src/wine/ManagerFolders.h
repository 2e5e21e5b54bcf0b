#pragma once

#include <QString>
#include <QStringList>

namespace verdane {

// Where the Wine managers keep their files for the user whose home is given,
// worked out as they do (XDG_CONFIG_HOME and XDG_DATA_HOME respected).

// Lutris's configuration folders: the XDG one and the data folder that newer
// Lutris versions use instead; each may hold games/*.yml and runners/wine.yml.
QStringList lutrisConfigFolders(const QString& home);
// Lutris's data folder, which holds runners/wine/<version>/.
QString lutrisDataFolder(const QString& home);
// Bottles' data folders (each holds bottles/<name>/ and runners/<runner>/):
// the native one, then the Flatpak one.
QStringList bottlesDataFolders(const QString& home);
// Steam's root folders that exist, each once: native, then Flatpak.
QStringList steamRootFolders(const QString& home);
// The folders whose subfolders are the managers' prefixes by default: Lutris's
// games folder (~/Games) and Bottles' bottles folders.
QStringList managerPrefixParents(const QString& home);

// Whether two paths name the same folder (links resolved when both exist).
bool isSameFolder(const QString& first, const QString& second);

} // namespace verdane
