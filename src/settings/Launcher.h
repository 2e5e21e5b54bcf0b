#pragma once

class QObject;

namespace verdane {

// Starts the game and the battle platforms for the main window's launch buttons.
class Launcher {
public:
    // UI thread. buttonId is one of the launch buttons 3000..3004; any other id
    // does nothing. Without a usable stored path the user is told so and asked
    // for the file, which is stored and started.
    void startTarget(QObject* owner, int buttonId);
};

} // namespace verdane
