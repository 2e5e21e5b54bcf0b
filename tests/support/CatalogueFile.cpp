#include "support/CatalogueFile.h"

#include <QFile>

#include <sqlite3.h>

namespace verdane::test {

bool writeCatalogue(const QString& path, const QList<CatalogueRow>& rows)
{
    QFile::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok =
        sqlite3_exec(db,
                     "create table ZarnMapDB (Maptype integer, UpdateTime text, MapName text, "
                     "MapExplain text, Pic_Link text, Down_Link text, ExplainLink text);"
                     "begin;",
                     nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "insert into ZarnMapDB values (?, ?, ?, ?, ?, ?, ?)", -1,
                                  &insert, nullptr) == SQLITE_OK;
    for (const CatalogueRow& row : rows) {
        if (!ok)
            break;
        sqlite3_bind_int(insert, 1, row.Maptype);
        const QString texts[] = {row.UpdateTime, row.MapName,   row.MapExplain,
                                 row.Pic_Link,   row.Down_Link, row.ExplainLink};
        for (int i = 0; i < 6; ++i) {
            const QByteArray bytes = texts[i].toUtf8();
            sqlite3_bind_text(insert, i + 2, bytes.constData(), static_cast<int>(bytes.size()),
                              SQLITE_TRANSIENT);
        }
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace verdane::test
