#include "settings/DownloadFolders.h"

#include <array>

namespace verdane {

QString downloadFolderLabel(int index)
{
    static const std::array<QString, DownloadFolderCount> labels{
        QStringLiteral("地图下载地址"),
        QStringLiteral("工具下载地址"),
    };
    if (index < 0 || index >= DownloadFolderCount)
        return {};
    return labels[static_cast<std::size_t>(index)];
}

} // namespace verdane
