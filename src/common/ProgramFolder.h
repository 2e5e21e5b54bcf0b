#pragma once

#include <QString>

namespace verdane {

// The folder of the running program file, ending in "/".
QString programFolder();

} // namespace verdane
