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
// The subkey and value of the Wine command that overrides the automatic choice.
inline QString wineSubkey()
{
    return QStringLiteral("Wine");
}
inline QString wineCommandValue()
{
    return QStringLiteral("Command");
}

} // namespace verdane
