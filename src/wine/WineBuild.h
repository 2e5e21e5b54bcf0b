#pragma once

#include "common/WineRunner.h"

#include <QString>

#include <optional>

namespace verdane {

// The runner of a Wine build that a manager installed in a folder: a build of
// its own (<folder>/bin/wine) or a Proton build (<folder>/files/bin/wine, or
// <folder>/dist/bin/wine before Proton 5.13). Its environment adds the build's
// library folders in front of LD_LIBRARY_PATH, as Lutris, Bottles and Proton
// do; for a Proton build also WINEDLLPATH (its vkd3d and wine folders) and
// ORIG_LD_LIBRARY_PATH (what the programs Wine hands files to get back), as
// Proton's own launch script sets them. Nothing when there is no executable wine.
std::optional<WineRunner> wineBuildIn(const QString& folder);

} // namespace verdane
