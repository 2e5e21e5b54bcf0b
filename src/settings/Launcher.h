#pragma once

#include "common/Prompt.h"
#include "settings/LaunchResult.h"

namespace verdane {

struct LaunchTarget;

// Starts one launch target: from its stored path, or from a file the user
// chose, which it stores. Shows nothing: its results say what to tell the
// user; the window asks for the file in between (settings/ui/StartTarget).
class Launcher {
public:
    explicit Launcher(const LaunchTarget& target);

    // Starts the stored path when it is usable; else PathNeeded with the
    // failure text, after which the window asks for the file with pathRequest.
    LaunchResult startStored() const;
    // The file dialog that asks for the target's program.
    FileDialogRequest pathRequest() const;
    // Stores the chosen file and starts it; it starts also when it cannot be
    // stored (NotStored, with the reason when the user needs one).
    LaunchResult startChosen(const QString& chosen) const;

private:
    const LaunchTarget& target_;
};

} // namespace verdane
