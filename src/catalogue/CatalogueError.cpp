#include "catalogue/CatalogueError.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace verdane {

QString catalogueErrorText(CatalogueFailure failure, const QString& file, const QString& detail)
{
    const QString what = failure == CatalogueFailure::Open ? QStringLiteral("无法打开地图数据库")
                                                           : QStringLiteral("无法读取地图数据库");
    return what + u' ' + QFileInfo(file).fileName() + u'：' + detail;
}

QString catalogueErrorText(CatalogueFailure failure, sqlite3* db, const QString& detail)
{
    const char* file = db != nullptr ? sqlite3_db_filename(db, "main") : nullptr;
    return catalogueErrorText(failure, file != nullptr ? QString::fromUtf8(file) : QString(),
                              detail);
}

} // namespace verdane
