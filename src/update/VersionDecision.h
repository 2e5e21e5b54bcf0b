#pragma once

#include <QByteArray>
#include <QString>

namespace verdane {

// What the version file says about the installed version. Fields are split at
// "|" and kept exactly as they stand: no trimming, a line break belongs to the
// field it follows.
struct VersionDecision {
    bool hasVersion = false; // the text has a field 1 (a failed fetch has none)
    bool upToDate = false;   // field 1 equals the installed version exactly
    QString version;         // field 1
    bool hasUpdateType = false;
    QString updateType; // field 2, handed to the updater unchanged
};

// fetched: the version file's bytes, in code page 936.
VersionDecision compareVersionText(const QString& installed, const QByteArray& fetched);

} // namespace verdane
