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

} // namespace verdane
