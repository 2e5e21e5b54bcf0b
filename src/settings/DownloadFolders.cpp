#include "settings/DownloadFolders.h"

#include <array>

namespace verdane {

QString downloadFolderLabel(int index)
{
    static const std::array<QString, downloadFolderCount> labels{
        QStringLiteral("地图下载地址"),
        QStringLiteral("工具下载地址"),
    };
    if (index < 0 || index >= downloadFolderCount)
        return {};
    return labels[static_cast<std::size_t>(index)];
}

QString mapsFolderFor(const QString& war3Path)
{
    const qsizetype slash = war3Path.lastIndexOf(u'/');
    const QString gameFolder = slash < 0 ? QString() : war3Path.left(slash);
    return gameFolder + QStringLiteral("/Maps/NaloBox");
}

} // namespace verdane
