#include "support/CatalogueFile.h"

#include <QFile>

#include <algorithm>

#include <sqlite3.h>

namespace verdane::test {

bool writeCatalogue(const QString& path, const QList<CatalogueRow>& rows, bool indexed)
{
    QFile::remove(path);
    const bool digests =
        std::ranges::any_of(rows, [](const CatalogueRow& r) { return !r.Down_Sha256.isNull(); });
    QByteArray sql =
        "begin; create table ZarnMapDB (Maptype integer, UpdateTime text, MapName text, "
        "MapExplain text, Pic_Link text, Down_Link text, ExplainLink text" +
        QByteArray(digests ? ", Down_Sha256 text);" : ");");
    if (indexed)
        sql += "create index ZarnMapDB_Category on ZarnMapDB (Maptype, UpdateTime);";
    for (const CatalogueRow& r : rows) {
        const QByteArray digest = digests ? ", '" + r.Down_Sha256.toUtf8() + "'" : QByteArray();
        char* insert =
            sqlite3_mprintf("insert into ZarnMapDB values (%d, %Q, %Q, %Q, %Q, %Q, %Q%s);",
                            r.Maptype, r.UpdateTime.toUtf8().constData(),
                            r.MapName.toUtf8().constData(), r.MapExplain.toUtf8().constData(),
                            r.Pic_Link.toUtf8().constData(), r.Down_Link.toUtf8().constData(),
                            r.ExplainLink.toUtf8().constData(), digest.constData());
        sql += insert;
        sqlite3_free(insert);
    }
    sqlite3* db = nullptr;
    const bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql + "commit;", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace verdane::test
