#pragma once

#include "settings/SettingsStore.h"

#include <QList>
#include <QString>

#include <utility>

namespace verdane {

struct LaunchTarget;

// The program's settings by meaning; the only code that knows their key and
// value names. Reads give what SettingsStore::readSetting gives (empty: not
// set), writes what writeSetting gives (false: refused or not stored). Like
// the store it wraps, one object per user action or per worker job.
class ProgramSettings {
public:
    // The full path a launch target starts from.
    QString launchPath(const LaunchTarget& target) const;
    bool setLaunchPath(const LaunchTarget& target, const QString& path);
    // The launch path of the game itself (War3.exe), the first launch target.
    QString gamePath() const;

    // The folder tools are downloaded to.
    QString toolsFolder() const;
    bool setToolsFolder(const QString& folder);
    // Where maps are downloaded to: never stored, always derived from the
    // stored game path; empty while that path is not set.
    QString mapsFolder() const;
    // The tools folder or the maps folder.
    QString downloadFolder(bool tools) const;
    // The maps folder of a game path: the path cut before its last "/",
    // followed by "/Maps/NaloBox". A path without "/" (also an empty one)
    // gives "/Maps/NaloBox"; callers that need a set game path test for it first.
    static QString mapsFolderFor(const QString& war3Path);

    // The version the package installed (a machine-wide value).
    QString installedVersion() const;
    // The two values the updater reads: that an update is wanted, and which.
    bool requestUpdate();
    bool setUpdateType(const QString& updateType);

    // The Wine command that overrides the automatic choice; empty: automatic.
    QString wineCommand() const;

    // Where the last write kept the unreadable settings file it replaced.
    const QString& keptUnreadableFile() const { return store_.keptUnreadableFile(); }

    // Key and value name of each value a write carries over from an
    // unreadable settings file into the clean one.
    static QList<std::pair<QString, QString>> carriedValues();

private:
    // readSetting changes nothing a caller of this class can see.
    mutable SettingsStore store_;
};

} // namespace verdane
