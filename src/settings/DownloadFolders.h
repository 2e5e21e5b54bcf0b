#pragma once

#include <QString>

namespace verdane {

// The two download folders: maps go below the game, tools to a folder of their own.
enum class DownloadFolder { Maps = 0, Tools = 1 };
inline constexpr int DownloadFolderCount = 2;

// "地图下载地址" (0) and "工具下载地址" (1); empty outside 0..1.
QString downloadFolderLabel(int index);

} // namespace verdane
