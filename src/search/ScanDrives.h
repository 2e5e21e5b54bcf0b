#pragma once

#include <QString>
#include <QStringList>

namespace verdane {

class DriveScan;

// The longest full path, in code page 936 bytes, that a scan reports or walks
// into; anything that would reach 260 bytes is skipped with all it holds.
inline constexpr qsizetype MaxScanPathBytes = 259;

// Walks one folder depth first, pre-order, entries in the order the file system
// lists them, and reports each regular file (or symbolic link to one) whose
// extension matches a filter. Folders whose names begin with a dot are not
// entered. Symbolic links are never followed into, and the walk stays on the
// file system the folder is on. Folders that cannot be opened or vanish are
// skipped silently, and so are names that are not UTF-8, whose paths no QString
// could carry on. A trailing slash is allowed ("/" scans the whole root).
// Runs on the calling thread; reports go to the scan's notify callback.
void scanFolder(const DriveScan& scan, const QString& folder);

// The worker's body: scans each root in list order, then sends the end report
// unless a stop was requested. Each file is reported once: a root named twice
// is walked once, and a root that lies below another (a Wine drive_c on a
// disk) is left out of the other's walk; folders are told apart by device and
// inode, not by their path text.
void scanDrives(const DriveScan& scan, const QStringList& roots);

} // namespace verdane
