#include "log/LogCategories.h"

namespace verdane {

Q_LOGGING_CATEGORY(lcDownload, "verdane.download", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdate, "verdane.update", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCatalogue, "verdane.catalogue", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "verdane.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSearch, "verdane.search", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLaunch, "verdane.launch", QtInfoMsg)

} // namespace verdane
