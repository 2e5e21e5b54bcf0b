#pragma once

#include "common/WineRunner.h"

#include <QString>

namespace verdane {

// Hands programs and web pages to the desktop. Fire and forget: nothing waits
// for the started program and a failure stays silent.
class Shell {
public:
    virtual ~Shell() = default;
    // Starts the program at a full path, without arguments.
    virtual void openProgram(const QString& path) = 0;
    // Shows a web address in the browser program of the build; only http and
    // https addresses are opened.
    virtual void openWebPage(const QString& address) = 0;
    // Shows a local folder in the desktop's file manager.
    virtual void openFolder(const QString& path) = 0;
};

// Installs the process's shell (not owned); nullptr restores the real one.
void installShell(Shell* replacement);
Shell& shell();

// The real shell starts a Windows program with the Wine this names for the
// prefix that holds it (empty prefix: in none). nullptr restores the default,
// "wine" from PATH. Installed once at start-up.
using WineRunnerLookup = WineRunner (*)(const QString& prefix);
void installWineRunnerLookup(WineRunnerLookup lookup);

} // namespace verdane
