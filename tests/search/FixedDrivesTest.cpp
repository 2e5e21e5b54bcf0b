#include "search/FixedDrives.h"

#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

namespace verdane {
namespace {

TEST(fixedDriveMounts, KeepsLocalDisksAndLeavesOutTheRest)
{
    // A desktop: system disk, btrfs subvolumes, ntfs-3g, a second disk bound
    // twice, a USB stick, a CD and pseudo, network and virtual file systems.
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
37 22 8:33 / /media/u/STICK rw,nosuid shared:44 - vfat /dev/sdc1 rw
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
    const auto probe = [](const QString& source, const QString&) {
        return QStringList{"/dev/sdc1", "/dev/sr0"}.contains(source);
    };
    EXPECT_EQ(fixedDriveMounts(desktop, probe),
              (QStringList{"/", "/home/", "/srv/games/", "/mnt/win/", "/mnt/data disk/"}));
    EXPECT_EQ(fixedDriveMounts(container, probe), (QStringList{"/", "/work/"}));
    EXPECT_EQ(fixedDriveMounts("garbage\n\n1 2 3 - ext4\n", probe), QStringList{});
}

TEST(isRemovableDevice, ReadsTheFlagOfTheDiskOrItsPartitionInSysfs)
{
    // A fixed disk, a USB stick and a CD drive, as the kernel lays them out.
    QTemporaryDir sys;
    const auto put = [&](const char* path, const QByteArray& text) {
        test::writeFile(sys.filePath(QString::fromLatin1(path)), text);
    };
    put("devices/pci/block/sda/removable", "0\n");
    put("devices/usb/block/sdc/removable", "1\n");
    put("devices/ata/block/sr0/removable", "1\n");
    for (const auto& [link, target] : {std::pair{"class/block/sda1", "devices/pci/block/sda/sda1"},
                                       {"class/block/sdc1", "devices/usb/block/sdc/sdc1"},
                                       {"class/block/sr0", "devices/ata/block/sr0"},
                                       {"dev/block/8:33", "devices/usb/block/sdc/sdc1"}}) {
        QDir().mkpath(sys.filePath(QString::fromLatin1(target)));
        QDir().mkpath(sys.filePath(QString::fromLatin1(link)).section(u'/', 0, -2));
        QFile::link(sys.filePath(QString::fromLatin1(target)), sys.filePath(QString::fromLatin1(link)));
    }
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"/dev/sda1", "", false},  {"/dev/sdc1", "", true},    {"/dev/sr0", "", true},
        {"/dev/nvme9n1", "", false}, {"UUID=x", "8:33", true}, {"UUID=x", "8:1", false}};
    for (const auto& [source, majorMinor, removable] : cases)
        EXPECT_EQ(isRemovableDevice(sys.path(), QString::fromLatin1(source),
                                    QString::fromLatin1(majorMinor)),
                  removable)
            << source << ' ' << majorMinor;
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
