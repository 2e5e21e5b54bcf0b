#pragma once

#include "common/WineRunner.h"

#include <QString>

#include <optional>

namespace verdane {

// The Wine build a manager set up a prefix with, found in the manager's own
// files under the given home; nothing when the manager does not know the
// prefix, its files cannot be read or the build they name is not there.

// A Lutris game configuration (games/*.yml) whose game: prefix: is the prefix
// names the build in wine: version: (else the wine runner configuration's
// version), kept in Lutris's runners/wine/<version>/.
std::optional<WineRunner> lutrisRunner(const QString& prefix, const QString& home);
// A bottle is its own prefix: its bottle.yml names the build in Runner:, kept
// in the runners/ folder of Bottles (native or Flatpak); "sys-" runners are
// the system's wine.
std::optional<WineRunner> bottlesRunner(const QString& prefix, const QString& home);
// A Steam prefix <library>/steamapps/compatdata/<app>/pfx: the Proton build
// whose folders its config_info lists, or the one whose proton script declares
// the prefix version that its version file holds, in Steam's libraries
// (steamapps/common) or compatibility tools (compatibilitytools.d).
std::optional<WineRunner> steamProtonRunner(const QString& prefix, const QString& home);

} // namespace verdane
