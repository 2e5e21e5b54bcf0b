#include "search/FixedDrives.h"

#include "wine/ManagerFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>

namespace verdane {

namespace {

// File systems that live on a local block device. fuseblk is ntfs-3g and other
// FUSE drivers of a real disk partition (a Windows partition is where an old
// installation of the game usually sits); the other fuse.* types are network or
// virtual ones and stay out. udf and iso9660 are optical media.
constexpr std::array LocalDiskTypes{
    "ext2", "ext3",     "ext4", "xfs",   "btrfs",   "f2fs",  "jfs",  "reiserfs", "nilfs2",
    "zfs",  "bcachefs", "ntfs", "ntfs3", "fuseblk", "exfat", "vfat", "msdos",    "hfsplus",
};

bool isLocalDiskType(const QByteArray& type)
{
    return std::any_of(LocalDiskTypes.begin(), LocalDiskTypes.end(),
                       [&](const char* known) { return type == known; });
}

// mountinfo writes space, tab, newline and backslash in paths as \ooo.
QString unescape(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3') {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

struct Mount {
    QString majorMinor;
    QString root; // the folder of the file system that is mounted
    QString mountPoint;
    QByteArray type;
};

bool isBelow(const QString& path, const QString& folder)
{
    return folder == QLatin1String("/") ? path != folder
                                        : path.startsWith(folder + QLatin1Char('/'));
}

} // namespace

bool isRemovableDevice(const QString& sysRoot, const QString& source, const QString& majorMinor)
{
    QString blockDir;
    if (source.startsWith(QLatin1String("/dev/"))) {
        // /dev/mapper/x and /dev/disk/by-*/ names are links to the kernel's name.
        QString device = QFileInfo(source).canonicalFilePath();
        if (device.isEmpty())
            device = source;
        const QFileInfo entry(sysRoot + QLatin1String("/class/block/") +
                              device.section(QLatin1Char('/'), -1));
        if (entry.exists())
            blockDir = entry.canonicalFilePath();
    }
    if (blockDir.isEmpty() && !majorMinor.isEmpty()) {
        const QFileInfo entry(sysRoot + QLatin1String("/dev/block/") + majorMinor);
        if (entry.exists())
            blockDir = entry.canonicalFilePath();
    }
    if (blockDir.isEmpty())
        return false;
    for (const QString& dir : {blockDir, QDir::cleanPath(blockDir + QLatin1String("/.."))}) {
        QFile flag(dir + QLatin1String("/removable"));
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
    }
    return false;
}

QStringList fixedDriveMounts(const QByteArray& mountInfo, const RemovableProbe& isRemovable)
{
    // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw,errors=continue"
    QList<Mount> mounts;
    for (const QByteArray& line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        Mount mount{QString::fromLatin1(fields[2]), unescape(fields[3]), unescape(fields[4]),
                    fields[dash + 1]};
        const QString source = unescape(fields[dash + 2]);
        // An overlay at "/" is the whole system of a container or a live medium,
        // so it is the disk its user has; other overlays repeat a disk's folders.
        const bool overlayRoot = mount.type == "overlay" && mount.mountPoint == QLatin1String("/");
        if (!overlayRoot && !isLocalDiskType(mount.type))
            continue;
        if (!overlayRoot && isRemovable && isRemovable(source, mount.majorMinor))
            continue;
        mounts.append(mount);
    }

    // A file system mounted twice (a bind mount) is walked once: drop a mount
    // whose folder is also reached through an earlier mount of the same folder or
    // through a mount of a folder above it. Not for btrfs, whose subvolumes are
    // file systems of their own to a walk that stays on one device.
    QStringList roots;
    for (qsizetype i = 0; i < mounts.size(); ++i) {
        const Mount& mount = mounts[i];
        bool covered = false;
        for (qsizetype j = 0; j < mounts.size() && !covered; ++j) {
            const Mount& other = mounts[j];
            if (j == i || other.majorMinor != mount.majorMinor)
                continue;
            covered = (other.root == mount.root && j < i) ||
                      (mount.type != "btrfs" && isBelow(mount.root, other.root));
        }
        if (covered)
            continue;
        QString root = mount.mountPoint;
        if (!root.endsWith(QLatin1Char('/')))
            root += QLatin1Char('/');
        if (!roots.contains(root))
            roots.append(root);
    }
    return roots;
}

QStringList wineDriveRoots(const QString& home, const QString& winePrefix)
{
    QStringList prefixes;
    if (!winePrefix.isEmpty())
        prefixes.append(winePrefix);
    if (!home.isEmpty()) {
        prefixes.append(home + QLatin1String("/.wine"));
        // Each of winetricks's prefixes, Lutris's games and Bottles' bottles is
        // a folder of its own below these.
        QStringList parents = managerPrefixParents(home);
        parents.prepend(home + QLatin1String("/.local/share/wineprefixes"));
        for (const QString& parent : parents) {
            const QDir folder(parent);
            for (const QString& name :
                 folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
                prefixes.append(folder.filePath(name));
        }
    }
    QStringList roots;
    for (const QString& prefix : prefixes) {
        const QString driveC = QDir::cleanPath(prefix + QLatin1String("/drive_c"));
        if (!QFileInfo(driveC).isDir())
            continue;
        const QString root = driveC + QLatin1Char('/');
        if (!roots.contains(root))
            roots.append(root);
    }
    return roots;
}

QStringList listFixedDrives()
{
    QStringList roots;
    QFile mountInfo(QStringLiteral("/proc/self/mountinfo"));
    if (mountInfo.open(QIODevice::ReadOnly)) {
        const QStringList mounts = fixedDriveMounts(
            mountInfo.readAll(), [](const QString& source, const QString& majorMinor) {
                return isRemovableDevice(QStringLiteral("/sys"), source, majorMinor);
            });
        // Bind mounts of single files (a container's /etc/hosts) are no drives.
        for (const QString& mount : mounts) {
            if (QFileInfo(mount).isDir())
                roots.append(mount);
        }
    }
    for (const QString& root :
         wineDriveRoots(QDir::homePath(), qEnvironmentVariable("WINEPREFIX"))) {
        if (!roots.contains(root))
            roots.append(root);
    }
    return roots;
}

} // namespace verdane
