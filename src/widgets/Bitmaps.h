#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace verdane {

// The numbers of the program's pictures; each is drawn at build time into a
// file named after its number. A button picture holds five frames side by side.
namespace BitmapId {
inline constexpr unsigned int Background = 129;
inline constexpr unsigned int DownloadButton = 151;
inline constexpr unsigned int DownloadedMark = 1038;
inline constexpr unsigned int MinimiseButton = 136;
inline constexpr unsigned int CloseButton = 138;
inline constexpr unsigned int SettingsButton = 152;
// The launch buttons.
inline constexpr unsigned int War3Button = 140;
inline constexpr unsigned int HaofangButton = 141;
inline constexpr unsigned int VsButton = 143;
inline constexpr unsigned int AaButton = 142;
inline constexpr unsigned int ZhangmenrenButton = 139;
// The home tab and the tabs of categories 0..4.
inline constexpr unsigned int HomeTab = 148;
inline constexpr unsigned int BattleMapsTab = 146;
inline constexpr unsigned int RpgMapsTab = 144;
inline constexpr unsigned int DefenceMapsTab = 147;
inline constexpr unsigned int CasualMapsTab = 149;
inline constexpr unsigned int ToolsTab = 145;
// The dialogs' buttons: the small ones beside a path box, and the wide ones.
inline constexpr unsigned int SmallButton = 1054;
inline constexpr unsigned int WideButton = 1055;
} // namespace BitmapId

// A picture by its number (BitmapId).
QPixmap loadBitmap(unsigned int resourceId);
QIcon programIcon();  // icon 128
QCursor linkCursor(); // cursor 150

} // namespace verdane
