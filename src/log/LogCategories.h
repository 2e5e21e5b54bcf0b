#pragma once

#include <QLoggingCategory>

namespace verdane {

// One category per feature. Info and above are on by default; the log file
// (LogHandler) keeps what these categories say and nothing else.
Q_DECLARE_LOGGING_CATEGORY(lcDownload)
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
Q_DECLARE_LOGGING_CATEGORY(lcCatalogue)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcSearch)
Q_DECLARE_LOGGING_CATEGORY(lcLaunch)

} // namespace verdane
