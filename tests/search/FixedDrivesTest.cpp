#include "search/FixedDrives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace verdane {
namespace {

// A desktop with an NVMe system disk, a second SATA disk with btrfs
// subvolumes and an ntfs-3g Windows partition, a third disk, a USB stick, a
// game CD and the usual pseudo and network file systems.
const char desktopMountInfo[] =
    R"(22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
23 22 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:7 - sysfs sysfs rw
24 22 0:22 / /proc rw,nosuid,nodev,noexec,relatime shared:13 - proc proc rw
25 22 0:5 / /dev rw,nosuid,relatime shared:2 - devtmpfs udev rw,size=8000000k,mode=755
27 22 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1600000k,mode=755
29 22 259:1 / /boot/efi rw,relatime shared:30 - vfat /dev/nvme0n1p1 rw,fmask=0077,dmask=0077
30 22 0:31 /@home /home rw,relatime shared:31 - btrfs /dev/sda1 rw,subvolid=257,subvol=/@home
31 22 0:31 /@games /srv/games rw,relatime shared:32 - btrfs /dev/sda1 rw,subvolid=258,subvol=/@games
32 22 7:3 / /snap/core22/1122 ro,nodev,relatime shared:33 - squashfs /dev/loop3 ro
33 22 0:45 / /mnt/nas rw,relatime shared:40 - nfs4 nas:/export rw,vers=4.2
34 22 0:46 / /mnt/share rw,relatime shared:41 - cifs //srv/share rw
35 30 0:47 / /home/u/remote rw,nosuid,nodev,relatime shared:42 - fuse.sshfs u@host:/ rw,user_id=1000
36 22 11:0 / /media/u/WC3_CD ro,nosuid,nodev,relatime shared:43 - iso9660 /dev/sr0 ro
37 22 8:33 / /media/u/STICK rw,nosuid,nodev,relatime shared:44 - vfat /dev/sdc1 rw
38 22 8:3 / /mnt/win rw,relatime shared:45 - fuseblk /dev/sda3 rw,user_id=0
39 22 8:17 / /mnt/data\040disk rw,relatime shared:46 - ext4 /dev/sdb1 rw
40 22 8:17 /games /opt/games rw,relatime shared:47 - ext4 /dev/sdb1 rw
41 22 259:2 / /var/again rw,relatime - ext4 /dev/nvme0n1p2 rw
43 22 8:49 / /mnt/ntfs3 rw - ntfs3 /dev/sdd1 rw
44 22 0:60 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw,lowerdir=/a:/b
45 22 8:65 / /media/u/EXT rw - exfat /dev/sde1 rw
)";

// A container: an overlay root and a folder of the host's disk bound into it.
const char containerMountInfo[] =
    R"(601 512 0:77 / / rw,relatime master:1 - overlay overlay rw,lowerdir=/l,upperdir=/u,workdir=/w
602 601 0:80 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw
603 601 0:81 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755
610 601 254:0 /srv/work /work rw,relatime - ext4 /dev/vda rw
611 601 254:0 /srv/work/cache /work/cache rw,relatime - ext4 /dev/vda rw
)";

TEST(FixedDriveMounts, KeepsLocalDisksAndLeavesOutTheRest)
{
    const auto probe = [](const QString& source, const QString&) {
        return QStringList{"/dev/sdc1", "/dev/sde1", "/dev/sr0"}.contains(source);
    };
    EXPECT_EQ(FixedDriveMounts(desktopMountInfo, probe),
              (QStringList{"/", "/boot/efi/", "/home/", "/srv/games/", "/mnt/win/",
                           "/mnt/data disk/", "/mnt/ntfs3/"}));
    EXPECT_EQ(FixedDriveMounts(containerMountInfo, probe), (QStringList{"/", "/work/"}));
    EXPECT_EQ(FixedDriveMounts("garbage\n\n1 2 3 - ext4\n", probe), QStringList{});
}

// A fake sysfs: the class/block entries link into the device tree, where a
// partition's folder sits in its disk's folder, which carries "removable".
TEST(IsRemovableDevice, ReadsTheFlagOfTheDiskOrOfItsPartitions)
{
    QTemporaryDir sys;
    const auto link = [&](const QString& relative, const QString& target) {
        QDir().mkpath(QFileInfo(sys.filePath(relative)).path());
        ASSERT_TRUE(QFile::link(target, sys.filePath(relative))) << relative.toStdString();
    };
    const struct {
        const char *name, *flag, *majorMinor, *partition;
    } disks[] = {{"sda", "0\n", "8:0", "sda1"},
                 {"sdb", "1\n", "8:16", "sdb1"},
                 {"sr0", "1\n", "11:0", ""},
                 {"dm-0", "0\n", "253:0", ""}};
    for (const auto& [name, flag, majorMinor, partition] : disks) {
        const QString disk = sys.filePath(QStringLiteral("devices/pci0/block/") + name);
        QDir().mkpath(disk + u'/' + partition);
        QFile file(disk + QStringLiteral("/removable"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(flag);
        link(QStringLiteral("class/block/") + name, disk);
        link(QStringLiteral("dev/block/") + majorMinor, disk);
        if (*partition)
            link(QStringLiteral("class/block/") + partition, disk + u'/' + partition);
    }
    const struct {
        const char* source;
        const char* majorMinor;
        bool removable;
    } cases[] = {
        {"/dev/sda1", "8:1", false},
        {"/dev/sdb1", "8:17", true},
        {"/dev/sdb", "8:16", true},
        {"/dev/sr0", "11:0", true},
        {"/dev/dm-0", "253:0", false},
        // No usable source: the device numbers lead to the disk.
        {"rpool/ROOT", "8:16", true},
        {"none", "0:31", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsRemovableDevice(sys.path(), c.source, c.majorMinor), c.removable) << c.source;
}

TEST(ListFixedDrives, AddsTheDriveCOfEveryWinePrefix)
{
    QTemporaryDir home;
    QTemporaryDir elsewhere;
    for (const char* folder :
         {".wine/drive_c/Program Files", ".wine/dosdevices", ".local/share/wineprefixes/w3/drive_c",
          ".local/share/wineprefixes/broken"})
        ASSERT_TRUE(QDir(home.path()).mkpath(QString::fromLatin1(folder)));
    ASSERT_TRUE(QDir(elsewhere.path()).mkpath(QStringLiteral("pfx/drive_c")));
    const QString own = home.filePath(QStringLiteral(".wine/drive_c/"));
    const QString winetricks =
        home.filePath(QStringLiteral(".local/share/wineprefixes/w3/drive_c/"));
    const QString other = elsewhere.filePath(QStringLiteral("pfx/drive_c/"));

    EXPECT_EQ(WineDriveRoots(home.path(), elsewhere.filePath(QStringLiteral("pfx"))),
              (QStringList{other, own, winetricks}));
    EXPECT_EQ(WineDriveRoots(home.path(), home.filePath(QStringLiteral(".wine/"))),
              (QStringList{own, winetricks}));
    EXPECT_EQ(WineDriveRoots(elsewhere.path(), QString()), QStringList{});

    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldPrefix = qgetenv("WINEPREFIX");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("WINEPREFIX", QFile::encodeName(elsewhere.filePath(QStringLiteral("pfx"))));
    const QStringList drives = ListFixedDrives();
    qputenv("HOME", oldHome);
    oldPrefix.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", oldPrefix);
    for (const QString& drive : {own, other, winetricks})
        EXPECT_TRUE(drives.contains(drive)) << drive.toStdString();
    for (const char* pseudo : {"/proc/", "/sys/", "/dev/", "/dev/shm/", "/run/"})
        EXPECT_FALSE(drives.contains(QString::fromLatin1(pseudo))) << pseudo;
    for (const QString& drive : drives)
        EXPECT_TRUE(drive.endsWith(u'/') && QFileInfo(drive).isDir()) << drive.toStdString();
}

} // namespace
} // namespace verdane
