#include "common/ProgramFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace verdane {

QString programFolder()
{
    QString folder;
    if (QCoreApplication::instance() != nullptr)
        folder = QCoreApplication::applicationDirPath();
    else
        folder = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

} // namespace verdane
