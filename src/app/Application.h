#pragma once

namespace verdane {

// Prepares the process and runs the main window modally; the process ends
// when the window does.
class Application {
public:
    // Returns the process's exit status.
    int run(int argc, char** argv);
    // Needs the QApplication. Without the network (networkReady false) only
    // the socket failure is shown.
    static void runMainWindow(bool networkReady);
};

} // namespace verdane
