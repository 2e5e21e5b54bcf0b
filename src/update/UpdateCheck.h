#pragma once

#include "update/VersionDecision.h"

#include <QString>

#include <chrono>
#include <functional>

namespace verdane {

// The version check against the update server and the hand-over to the
// updater beside the program. The window asks the user between the two.
//
// The check at start-up runs before the window shows; a version file is a few
// bytes, so a server that takes longer than StartupFetchLimit is taken as
// giving no version rather than keeping the window away. The link's check runs
// on a worker.
class UpdateCheck {
public:
    enum class Outcome {
        UpToDate,   // installed version equals the server's
        NewVersion, // they differ: the window offers the update
        // No version could be read (server unreachable, other status than 200,
        // empty body): nothing is shown, and the link must not claim "up to date".
        NoVersion,
    };

    static constexpr std::chrono::milliseconds StartupFetchLimit{1500};
    static constexpr std::chrono::milliseconds LinkFetchLimit{10000};

    // Any thread: fetches the version file, taking at most fetchLimit, and
    // compares it with Curr_Version.
    static VersionDecision fetch(std::chrono::milliseconds fetchLimit);
    static Outcome outcome(const VersionDecision& decision);

    // The user has accepted the offered version: writes Update and UpdateType
    // and starts the updater (updaterProgram()). Empty when the updater was started (the window
    // then closes) or when there was nothing to start (a version file without
    // an update type); else the text to show, and the program keeps running.
    struct Started {
        bool started = false;
        QString cause;
    };
    // tellUser shows a notice on the way (a settings file that was repaired)
    // before the updater is started.
    static Started startUpdate(const VersionDecision& decision,
                               const std::function<void(const QString&)>& tellUser);
};

} // namespace verdane
