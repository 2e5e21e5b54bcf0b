#pragma once

#include <QString>

namespace verdane {

// The two download folders: maps go below the game, tools to a folder of their own.
enum class DownloadFolder { Maps = 0, Tools = 1 };
inline constexpr int downloadFolderCount = 2;

// "地图下载地址" (0) and "工具下载地址" (1); empty outside 0..1.
QString downloadFolderLabel(int index);

// The folder maps are downloaded to: the game path cut before its last "/",
// followed by "/Maps/NaloBox". A path without "/" (also an empty one) gives
// "/Maps/NaloBox"; callers that need a set game path test for it first.
QString mapsFolderFor(const QString& war3Path);

} // namespace verdane
