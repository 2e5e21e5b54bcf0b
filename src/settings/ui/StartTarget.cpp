#include "settings/ui/StartTarget.h"

#include "common/Prompt.h"
#include "settings/LaunchTarget.h"
#include "settings/Launcher.h"

#include <QWidget>

namespace verdane {

void startTarget(QWidget* window, int buttonId)
{
    const LaunchTarget* target = launchTargetForButton(buttonId);
    if (target == nullptr)
        return;
    const Launcher launcher(*target);
    LaunchResult result = launcher.startStored();
    if (result.outcome == LaunchResult::Outcome::PathNeeded) {
        // The failure comes before the file dialog, also when nothing was ever stored.
        showNotice(result.message, window);
        const QString chosen = askOpenFile(launcher.pathRequest(), window);
        if (chosen.isEmpty())
            return;
        result = launcher.startChosen(chosen);
    }
    if (!result.message.isEmpty())
        showNotice(result.message, window);
}

} // namespace verdane
