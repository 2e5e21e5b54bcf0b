#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace verdane {

// The roots a "all local disks" search walks, each ending with a slash ("/",
// "/mnt/data/", "/home/u/.wine/drive_c/"): the mount points of the local disk
// file systems, in mount order, then the drive_c folder of every Wine prefix
// found. The search dialog's box puts them in its own sorted order.
QStringList listFixedDrives();

// Whether the block device behind a mount ("/dev/sdb1", device numbers "8:17")
// is removable, as sysfs under sysRoot says ("/sys" on a live system). A
// partition carries the flag on its disk. Unknown devices count as fixed.
using RemovableProbe = std::function<bool(const QString& source, const QString& majorMinor)>;
bool isRemovableDevice(const QString& sysRoot, const QString& source, const QString& majorMinor);

// The mount points (slash-terminated) of the local disk file systems listed in
// a /proc/<pid>/mountinfo text, in its order. Pure: the removable flag comes
// from the probe, and nothing here looks at the file system.
QStringList fixedDriveMounts(const QByteArray& mountInfo, const RemovableProbe& isRemovable);

// The drive_c folders (slash-terminated) of the Wine prefixes that exist:
// $WINEPREFIX, ~/.wine, the prefixes winetricks keeps in
// ~/.local/share/wineprefixes, and those Lutris (~/Games/<game>) and Bottles
// (native and Flatpak bottles/<name>) make by default. An empty winePrefix
// means the variable is unset.
QStringList wineDriveRoots(const QString& home, const QString& winePrefix);

} // namespace verdane
