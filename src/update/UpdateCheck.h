#pragma once

#include <chrono>
#include <functional>

class QObject;

namespace verdane {

// The version check against the update server and the hand-over to the
// updater beside the program. Runs on the UI thread and blocks it for the
// fetch, which is bounded to a few seconds.
//
// The check at start-up runs before the window shows; a version file is a few
// bytes, so a server that takes longer than StartupFetchLimit is taken as
// giving no version rather than keeping the window away.
class UpdateCheck {
public:
    // Results of checkForUpdate.
    static constexpr int UpToDate = 0; // installed version equals the server's
    static constexpr int Offered = 1;  // they differ: the question was shown
    // No version could be read (server unreachable, other status than 200,
    // empty body): nothing was shown, and the link must not claim "up to date".
    static constexpr int NoVersion = -1;

    static constexpr std::chrono::milliseconds StartupFetchLimit{1500};

    // closeMainWindow closes the window after an accepted update.
    explicit UpdateCheck(std::function<void()> closeMainWindow = {});

    // Fetches the version file and compares it with Curr_Version. When they
    // differ and the user agrees: writes Update and UpdateType, starts
    // NaloUpdate.exe and closes mainWindow once control returns to the event loop.
    // The fetch takes at most fetchLimit.
    int checkForUpdate(QObject* mainWindow,
                       std::chrono::milliseconds fetchLimit = std::chrono::seconds(10));

    // The "检查更新" link: the same check, and a notice when already up to date.
    void onCheckUpdateLink(QObject* mainWindow);

private:
    std::function<void()> closeMainWindow_;
};

} // namespace verdane
