#pragma once

#include <QString>

#include <array>

namespace verdane {

// The numbers of the windows and their controls. Each widget carries its
// number as its objectName, which is how tests and the end-to-end layer find it.
namespace ControlId {

// Shared by every dialog: the default button and the one that cancels.
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;

// The main window.
inline constexpr int MainWindowTemplate = 102;
inline constexpr int Minimise = Ok;
inline constexpr int Close = Cancel;
inline constexpr int PathSettings = 1030;
inline constexpr int PageSummary = 1008;
inline constexpr int PageLabel = 1009;
inline constexpr int PageSuffix = 1010;
inline constexpr int PreviousPage = 1011;
inline constexpr int NextPage = 1012;
inline constexpr int HomePageLink = 1013;
inline constexpr int PageEdit = 1014;
inline constexpr int Version = 1015;
inline constexpr int CheckUpdateLink = 1029;
inline constexpr int RowsPerPage = 3;
inline constexpr std::array<int, RowsPerPage> RowTitle{1016, 1018, 1020};
inline constexpr std::array<int, RowsPerPage> RowExplanation{1017, 1019, 1021};
inline constexpr std::array<int, RowsPerPage> RowLink{1063, 1064, 1065};
inline constexpr std::array<int, RowsPerPage> RowDownload{1022, 1023, 1024};
inline constexpr std::array<int, RowsPerPage> RowPicture{20, 21, 22};
inline constexpr int PagePanel = 23;
// 3000..3004, not in the order of the launch targets.
inline constexpr int FirstLaunchButton = 3000;
inline constexpr int LaunchButtonCount = 5;
// The home button, then the buttons of categories 0..4.
inline constexpr int HomeButton = 3005;
inline constexpr int FirstCategoryButton = 3006;
inline constexpr int LastCategoryButton = 3010;
inline constexpr int TrayMenu = 135;
inline constexpr int TrayShow = 1066;
inline constexpr int TrayQuit = 1067;

// The download dialog.
inline constexpr int DownloadTemplate = 154;
inline constexpr int Progress = 1034;
inline constexpr int SectionLink = 1035;
inline constexpr int Status = 1036;
inline constexpr int Warning = 1037;

// The path settings dialog ("应用" is Ok, "取消" Cancel).
inline constexpr int PathSettingsTemplate = 153;
inline constexpr int Confirm = 1039;
// 1043..1047 for the launch targets in table order, then the two folders.
inline constexpr int FirstTargetItem = 1043;
inline constexpr int MapsFolderItem = 1048;
inline constexpr int ToolsFolderItem = 1049;
inline constexpr int Search = 1050;
inline constexpr int BrowseExecutable = 1052;
inline constexpr int BrowseFolder = 1053;
inline constexpr int ExecutablePath = 1056;
inline constexpr int DownloadPath = 1057;

// The search dialog ("退出" is Cancel).
inline constexpr int SearchTemplate = 1058;
inline constexpr int Drives = 1059;
inline constexpr int Stop = 1060;
inline constexpr int Start = 1061;
inline constexpr int Position = 1062;

} // namespace ControlId

// The objectName a control with this number carries.
inline QString controlName(int id)
{
    return QString::number(id);
}

} // namespace verdane
