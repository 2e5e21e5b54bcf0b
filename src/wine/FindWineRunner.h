#pragma once

#include "common/WineRunner.h"

#include <QString>

namespace verdane {

// The Wine that runs the programs of a prefix (empty: a program in no prefix),
// first rule that applies: the override command (a full path, or a name on
// PATH) when it names an executable; the build Lutris, Bottles or Steam
// (Proton) set the prefix up with; else "wine" from PATH. A manager's file
// that cannot be read, or names a build that is not there, passes to the next
// rule. HOME and the XDG folders come from the environment.
WineRunner findWineRunner(const QString& prefix, const QString& overrideCommand);

} // namespace verdane
