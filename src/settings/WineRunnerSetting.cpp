#include "settings/WineRunnerSetting.h"

#include "settings/ProgramSettings.h"
#include "wine/FindWineRunner.h"

namespace verdane {

WineRunner WineRunnerForPrefix(const QString& prefix)
{
    return FindWineRunner(prefix, ProgramSettings().wineCommand());
}

} // namespace verdane
