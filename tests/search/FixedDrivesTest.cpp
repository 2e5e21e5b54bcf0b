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
26 25 0:23 / /dev/pts rw,nosuid,noexec,relatime shared:3 - devpts devpts rw,gid=5,mode=620
27 22 0:24 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,size=1600000k,mode=755
28 23 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 rw
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
42 30 0:50 / /home/u/tmp rw - tmpfs tmpfs rw
43 22 8:49 / /mnt/ntfs3 rw - ntfs3 /dev/sdd1 rw
44 22 0:60 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw,lowerdir=/a:/b
45 22 8:65 / /media/u/EXT rw - exfat /dev/sde1 rw
46 22 0:61 / /tmp rw - tmpfs tmpfs rw
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
    const QStringList removable{QStringLiteral("/dev/sdc1"), QStringLiteral("/dev/sde1"),
                                QStringLiteral("/dev/sr0")};
    const auto probe = [&](const QString& source, const QString&) {
        return removable.contains(source);
    };
    EXPECT_EQ(FixedDriveMounts(desktopMountInfo, probe),
              (QStringList{"/", "/boot/efi/", "/home/", "/srv/games/", "/mnt/win/",
                           "/mnt/data disk/", "/mnt/ntfs3/"}));
    EXPECT_EQ(FixedDriveMounts(containerMountInfo, probe), (QStringList{"/", "/work/"}));
    EXPECT_EQ(FixedDriveMounts("garbage\n\n1 2 3 - ext4\n", probe), QStringList{});
}

// A fake sysfs: the class/block entries link into the device tree, where a
// partition's folder sits in its disk's folder, which carries "removable".
class FakeSys {
public:
    FakeSys() { EXPECT_TRUE(dir_.isValid()); }
    void disk(const QString& name, bool removable, const QString& majorMinor,
              const QStringList& partitions = {})
    {
        const QString diskDir = dir_.filePath(QStringLiteral("devices/pci0/block/") + name);
        QDir().mkpath(diskDir);
        QFile flag(diskDir + QLatin1String("/removable"));
        ASSERT_TRUE(flag.open(QIODevice::WriteOnly));
        flag.write(removable ? "1\n" : "0\n");
        flag.close();
        link(QStringLiteral("class/block/") + name, diskDir);
        link(QStringLiteral("dev/block/") + majorMinor, diskDir);
        for (const QString& partition : partitions) {
            QDir().mkpath(diskDir + QLatin1Char('/') + partition);
            link(QStringLiteral("class/block/") + partition,
                 diskDir + QLatin1Char('/') + partition);
        }
    }
    QString root() const { return dir_.path(); }

private:
    void link(const QString& relative, const QString& target)
    {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(QFile::link(target, path));
    }
    QTemporaryDir dir_;
};

TEST(IsRemovableDevice, ReadsTheFlagOfTheDiskOrOfItsPartitions)
{
    FakeSys sys;
    sys.disk(QStringLiteral("sda"), false, QStringLiteral("8:0"), {QStringLiteral("sda1")});
    sys.disk(QStringLiteral("sdb"), true, QStringLiteral("8:16"), {QStringLiteral("sdb1")});
    sys.disk(QStringLiteral("sr0"), true, QStringLiteral("11:0"));
    sys.disk(QStringLiteral("dm-0"), false, QStringLiteral("253:0"));

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
    for (const auto& entry : cases) {
        EXPECT_EQ(IsRemovableDevice(sys.root(), QString::fromLatin1(entry.source),
                                    QString::fromLatin1(entry.majorMinor)),
                  entry.removable)
            << entry.source;
    }
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name)
        , old_(qgetenv(name))
        , had_(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

TEST(ListFixedDrives, AddsTheDriveCOfEveryWinePrefix)
{
    QTemporaryDir home;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(home.isValid() && elsewhere.isValid());
    for (const char* folder :
         {".wine/drive_c/Program Files", ".wine/dosdevices", ".local/share/wineprefixes/w3/drive_c",
          ".local/share/wineprefixes/broken"})
        ASSERT_TRUE(QDir(home.path()).mkpath(QString::fromLatin1(folder)));
    ASSERT_TRUE(QDir(elsewhere.path()).mkpath(QStringLiteral("pfx/drive_c")));
    const QString own = home.path() + QStringLiteral("/.wine/drive_c/");
    const QString winetricks =
        home.path() + QStringLiteral("/.local/share/wineprefixes/w3/drive_c/");
    const QString other = elsewhere.path() + QStringLiteral("/pfx/drive_c/");

    EXPECT_EQ(WineDriveRoots(home.path(), elsewhere.path() + QStringLiteral("/pfx")),
              (QStringList{other, own, winetricks}));
    EXPECT_EQ(WineDriveRoots(home.path(), home.path() + QStringLiteral("/.wine/")),
              (QStringList{own, winetricks}));
    EXPECT_EQ(WineDriveRoots(elsewhere.path(), QString()), QStringList{});

    ScopedEnv homeVar("HOME", QFile::encodeName(home.path()));
    ScopedEnv prefixVar("WINEPREFIX", QFile::encodeName(elsewhere.path() + "/pfx"));
    const QStringList drives = ListFixedDrives();
    EXPECT_TRUE(drives.contains(own));
    EXPECT_TRUE(drives.contains(other));
    EXPECT_TRUE(drives.contains(winetricks));
    for (const char* pseudo : {"/proc/", "/sys/", "/dev/", "/dev/shm/", "/run/"})
        EXPECT_FALSE(drives.contains(QString::fromLatin1(pseudo))) << pseudo;
    for (const QString& drive : drives) {
        EXPECT_TRUE(drive.endsWith(QLatin1Char('/'))) << drive.toStdString();
        EXPECT_TRUE(QFileInfo(drive).isDir()) << drive.toStdString();
    }
}

} // namespace
} // namespace verdane
