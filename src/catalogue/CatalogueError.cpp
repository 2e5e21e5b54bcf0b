#include "catalogue/CatalogueError.h"

#include <QFileInfo>

namespace verdane {

QString CatalogueError::text() const
{
    const QString what = failure == Failure::Open ? QStringLiteral("无法打开地图数据库")
                                                  : QStringLiteral("无法读取地图数据库");
    return what + u' ' + QFileInfo(file).fileName() + u'：' + detail;
}

} // namespace verdane
