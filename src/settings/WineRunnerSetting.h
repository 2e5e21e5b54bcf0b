#pragma once

#include "common/WineRunner.h"

#include <QString>

namespace verdane {

// The Wine that runs the programs of a prefix, with the stored override
// (ProgramSettings::wineCommand; empty: chosen automatically).
// The real shell uses it once the application has installed it.
WineRunner wineRunnerForPrefix(const QString& prefix);

} // namespace verdane
