#include "updater/CatalogueFileCheck.h"

#include <QFile>

#include <sqlite3.h>

namespace verdane {

QString catalogueFileProblem(const QString& path)
{
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "select count(*) from ZarnMapDB", nullptr, nullptr, nullptr);
    const QString problem = rc == SQLITE_OK ? QString()
                            : db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db))
                                            : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close(db);
    return problem;
}

} // namespace verdane
