#include "settings/WineRunnerSetting.h"

#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "wine/FindWineRunner.h"

namespace verdane {

WineRunner WineRunnerForPrefix(const QString& prefix)
{
    SettingsStore store;
    return FindWineRunner(prefix,
                          store.ReadSetting(SettingsRoot::LocalMachine, programSubkey(wineSubkey()),
                                            wineCommandValue()));
}

} // namespace verdane
