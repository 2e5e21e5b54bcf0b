#include "search/FixedDrives.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

TEST(fixedDriveMounts, KeepsLocalDisksAndLeavesOutTheRest)
{
    // A desktop: system disk, btrfs subvolumes, ntfs-3g, a second disk bound
    // twice, a USB stick, a memory card, a CD and pseudo, network and virtual file systems.
    const char desktop[] =
        R"(22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro
23 22 0:21 / /sys rw,nosuid shared:7 - sysfs sysfs rw
27 22 0:24 / /run rw,nosuid shared:5 - tmpfs tmpfs rw,size=1600000k,mode=755
30 22 0:31 /@home /home rw,relatime shared:31 - btrfs /dev/sda1 rw,subvol=/@home
31 22 0:31 /@games /srv/games rw,relatime shared:32 - btrfs /dev/sda1 rw,subvol=/@games
32 22 7:3 / /snap/core22/1122 ro,nodev,relatime shared:33 - squashfs /dev/loop3 ro
33 22 0:45 / /mnt/nas rw,relatime shared:40 - nfs4 nas:/export rw,vers=4.2
35 30 0:47 / /home/u/remote rw,nosuid shared:42 - fuse.sshfs u@host:/ rw,user_id=1000
36 22 11:0 / /media/u/WC3_CD ro,nosuid shared:43 - iso9660 /dev/sr0 ro
37 22 8:33 / /media/u/STICK rw,nosuid shared:44 - vfat /dev/disk/by-label/STICK rw
42 22 8:48 / /media/u/CARD rw,nosuid shared:48 - exfat /dev/sdd rw
38 22 8:3 / /mnt/win rw,relatime shared:45 - fuseblk /dev/sda3 rw,user_id=0
39 22 8:17 / /mnt/data\040disk rw,relatime shared:46 - ext4 /dev/sdb1 rw
40 22 8:17 /games /opt/games rw,relatime shared:47 - ext4 /dev/sdb1 rw
41 22 259:2 / /var/again rw,relatime - ext4 /dev/nvme0n1p2 rw
44 22 0:60 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw,lowerdir=/a:/b
)";
    // A container: an overlay root and a folder of the host's disk bound into it.
    const char container[] =
        R"(601 512 0:77 / / rw,relatime master:1 - overlay overlay rw,lowerdir=/l,upperdir=/u
602 601 0:80 / /proc rw,nosuid - proc proc rw
610 601 254:0 /srv/work /work rw,relatime - ext4 /dev/vda rw
611 601 254:0 /srv/work/cache /work/cache rw,relatime - ext4 /dev/vda rw
)";
    // The removable flags, as sysfs lays them out: a partition's is on its disk, and a
    // device is found by its name or by its numbers.
    QTemporaryDir sys;
    for (const auto& [disk, flag] : {std::pair{"pci/sda", "0"}, {"usb/sdc", "1"}, {"usb/sdd", "1"}})
        test::writeFile(sys.filePath(u"devices/%1/removable"_s.arg(disk)), flag);
    for (const auto& [link, device] : {std::pair{"class/block/sda1", "pci/sda/sda1"},
                                       {"class/block/sdd", "usb/sdd"},
                                       {"dev/block/8:33", "usb/sdc/sdc1"}}) {
        QDir().mkpath(sys.filePath(u"devices/"_s + device));
        QDir().mkpath(sys.filePath(QString::fromLatin1(link)).section(u'/', 0, -2));
        QFile::link(sys.filePath(u"devices/"_s + device), sys.filePath(QString::fromLatin1(link)));
    }
    const auto probe = [&](const QString& source, const QString& majorMinor) {
        return isRemovableDevice(sys.path(), source, majorMinor);
    };
    EXPECT_EQ(fixedDriveMounts(desktop, probe),
              (QStringList{"/", "/home/", "/srv/games/", "/mnt/win/", "/mnt/data disk/"}));
    EXPECT_EQ(fixedDriveMounts(container, probe), (QStringList{"/", "/work/"}));
    EXPECT_EQ(fixedDriveMounts("garbage\n\n1 2 3 - ext4\n", probe), QStringList{});
}

TEST(wineDriveRoots, AreTheDriveCOfEveryWinePrefix)
{
    QTemporaryDir home;
    QTemporaryDir elsewhere;
    for (const char* folder : {".wine/drive_c", ".local/share/wineprefixes/w3/drive_c",
                               ".local/share/wineprefixes/broken"})
        ASSERT_TRUE(QDir(home.path()).mkpath(QString::fromLatin1(folder)));
    ASSERT_TRUE(QDir(elsewhere.path()).mkpath(QStringLiteral("pfx/drive_c")));
    const QString own = home.filePath(QStringLiteral(".wine/drive_c/"));
    const QString winetricks =
        home.filePath(QStringLiteral(".local/share/wineprefixes/w3/drive_c/"));
    const QString other = elsewhere.filePath(QStringLiteral("pfx/drive_c/"));
    EXPECT_EQ(wineDriveRoots(home.path(), elsewhere.filePath(QStringLiteral("pfx"))),
              (QStringList{other, own, winetricks}));
    EXPECT_EQ(wineDriveRoots(home.path(), home.filePath(QStringLiteral(".wine/"))),
              (QStringList{own, winetricks}));
}

} // namespace
} // namespace verdane
