#include "settings/SettingsWrite.h"

#include "settings/SettingsNotices.h"

namespace verdane {

QString SettingsWrite::repairNotice() const
{
    return keptFile.isEmpty() ? QString() : keptUnreadableNotice(keptFile);
}

} // namespace verdane
