#pragma once

#include <QString>

namespace verdane {

// Where the log lives: $XDG_STATE_HOME/NaloSoft/Verdane (by default
// ~/.local/state/NaloSoft/Verdane).
QString logFolder();
// The log file in that folder: verdane.log.
QString logFilePath();

// From now on what the program's own categories (LogCategories.h) say is
// appended to logFilePath() as one line each, and also written to stderr when
// stderr is a terminal; Qt's and the libraries' messages go where they went
// before. Creates the folder when it can; called again (after XDG_STATE_HOME
// has changed) it moves to the new place.
void installLogHandler();

} // namespace verdane
