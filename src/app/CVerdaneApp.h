#pragma once

namespace verdane {

// Prepares the process and runs the main window modally; the process ends
// when the window does.
class CVerdaneApp {
public:
    // Returns the process's exit status.
    int run(int argc, char** argv);
    // Needs the QApplication; false when the process should end at once.
    // Always returns false in the end: there is no event loop after the window.
    bool InitInstance();
};

} // namespace verdane
