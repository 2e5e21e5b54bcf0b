#include "settings/WineRunnerSetting.h"

#include "settings/ProgramSettings.h"
#include "wine/FindWineRunner.h"

namespace verdane {

WineRunner wineRunnerForPrefix(const QString& prefix)
{
    return findWineRunner(prefix, ProgramSettings().wineCommand());
}

} // namespace verdane
