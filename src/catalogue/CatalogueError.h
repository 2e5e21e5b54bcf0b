#pragma once

#include <QString>

namespace verdane {

// Why the catalogue could not be read: whether the file failed to open or a
// query on it failed, the file, and SQLite's own text.
struct CatalogueError {
    enum class Failure { Open, Read };

    Failure failure;
    QString file;
    QString detail;

    // The text of the error box: what failed on which file, in the user's
    // language, then the database's text, e.g.
    // "无法打开地图数据库 ZarnREZ.dat：file is not a database".
    QString text() const;
};

} // namespace verdane
