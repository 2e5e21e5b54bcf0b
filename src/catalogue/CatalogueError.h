#pragma once

#include <QString>

struct sqlite3;

namespace verdane {

enum class CatalogueFailure { Open, Read };

// The text of a catalogue error box: what failed on which file, in the user's
// language, then the database's own text, e.g.
// "无法打开地图数据库 ZarnREZ.dat：file is not a database".
QString catalogueErrorText(CatalogueFailure failure, const QString& file, const QString& detail);
// The same for an open connection, named by the file it reads.
QString catalogueErrorText(CatalogueFailure failure, sqlite3* db, const QString& detail);

} // namespace verdane
