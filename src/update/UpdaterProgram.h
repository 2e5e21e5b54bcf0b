#pragma once

#include <QString>

namespace verdane {

// The updater the version check hands over to: NaloUpdate.exe beside the
// program when it is there, else this project's verdane-update beside it.
// When neither is there, the path of NaloUpdate.exe (which the check then
// reports missing).
QString updaterProgram();

} // namespace verdane
