#pragma once

#include "settings/SettingsWrite.h"

#include <QString>

namespace verdane {

struct LaunchTarget;

// The program's settings by meaning, typed; the only code that knows their
// keys. Reads give an empty text for a value that is not set; writes give what
// SettingsStore::setValue gives, including the unreadable file a write kept
// aside, which the window that asked for the write tells the user.
class ProgramSettings {
public:
    // The full path a launch target starts from.
    QString launchPath(const LaunchTarget& target) const;
    SettingsWrite setLaunchPath(const LaunchTarget& target, const QString& path);
    // The launch path of the game itself (War3.exe), the first launch target.
    QString gamePath() const;

    // The folder tools are downloaded to.
    QString toolsFolder() const;
    SettingsWrite setToolsFolder(const QString& folder);
    // Where maps are downloaded to: never stored, always derived from the
    // stored game path; empty while that path is not set.
    QString mapsFolder() const;
    // Where an entry is downloaded to: the tools folder for a tool, else the
    // maps folder; empty while the one it needs is not set.
    QString downloadFolder(bool tools) const;
    // The maps folder of a game path: the path cut before its last "/",
    // followed by "/Maps/NaloBox". A path without "/" (also an empty one)
    // gives "/Maps/NaloBox"; callers that need a set game path test for it first.
    static QString mapsFolderFor(const QString& war3Path);

    // The version the package installed (a machine-wide value).
    QString installedVersion() const;
    // The two values the updater reads: that an update is wanted, and which.
    SettingsWrite requestUpdate();
    SettingsWrite setUpdateType(const QString& updateType);
    bool updateRequested() const;
    QString updateType() const;
    // The updater's last step: the user's version becomes the installed
    // update's and the request is cleared.
    SettingsWrite finishUpdate(const QString& version);
    // A retired update's version goes from the user's file (when it is still
    // the one there), so that the machine-wide version counts again.
    static void forgetUserVersion(const QString& version);

    // The Wine command that overrides the automatic choice; empty: automatic.
    QString wineCommand() const;

    // Where the last write through this object kept the unreadable settings
    // file it replaced; empty when it replaced none.
    const QString& keptUnreadableFile() const { return keptFile_; }

private:
    SettingsWrite remember(SettingsWrite write);

    QString keptFile_;
};

} // namespace verdane
