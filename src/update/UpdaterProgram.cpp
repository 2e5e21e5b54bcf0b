#include "update/UpdaterProgram.h"

#include "common/ProgramFolder.h"

#include <QFileInfo>

namespace verdane {

QString updaterProgram()
{
    const QString windows = programFolder() + QStringLiteral("NaloUpdate.exe");
    const QString own = programFolder() + QStringLiteral("verdane-update");
    if (!QFileInfo(windows).isFile() && QFileInfo(own).isExecutable())
        return own;
    return windows;
}

} // namespace verdane
