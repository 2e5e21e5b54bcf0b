#pragma once

#include <QStringList>

#include <optional>

namespace verdane {

// Answers --help and --version and refuses what the program does not take,
// before anything else runs: it needs only a QCoreApplication, no display.
// Qt's texts come in the user's language where Qt has them translated.
// Returns the exit status when the process should end here (0 after help or
// the version, 2 after a one-line error on stderr), nothing when the program
// should start.
std::optional<int> answerCommandLine(const QStringList& arguments);

} // namespace verdane
