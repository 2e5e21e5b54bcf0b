#pragma once

#include <QString>

namespace verdane {

// Names of the keys and values the program keeps (keys below programKey()).

// The value that holds a launch target's full path, or the tools folder.
inline QString clientPathValue()
{
    return QStringLiteral("ClientPath");
}
// The subkey of the tools download folder.
inline QString toolsSubkey()
{
    return QStringLiteral("Tools");
}
// Values of the program key itself.
inline QString currentVersionValue()
{
    return QStringLiteral("Curr_Version");
}
inline QString updateValue()
{
    return QStringLiteral("Update");
}
inline QString updateTypeValue()
{
    return QStringLiteral("UpdateType");
}

} // namespace verdane
