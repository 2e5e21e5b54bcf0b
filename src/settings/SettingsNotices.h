#pragma once

#include "settings/SettingsStore.h"

#include <QString>

namespace verdane {

// The answer to a path that would not read back once stored.
inline QString pathTooLongNotice()
{
    return QStringLiteral("路径过长，无法保存（最多 %1 字节）").arg(SettingsStore::MaxValueBytes);
}

// Added to the report of a save that replaced an unreadable settings file.
inline QString keptUnreadableNotice(const QString& keptFile)
{
    return QStringLiteral("原配置文件无法读取，已保留为 %1").arg(keptFile);
}

} // namespace verdane
