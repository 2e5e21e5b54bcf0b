#include "common/Cp936.h"
#include "search/DriveScan.h"
#include "search/ScanDrives.h"
#include "support/Files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <future>
#include <thread>

namespace verdane {
namespace {

const QString End = QStringLiteral("<end>");

// Makes an empty file below a temporary folder and gives its path.
QString file(const QTemporaryDir& dir, const QString& relative)
{
    test::writeFile(dir.filePath(relative));
    return dir.filePath(relative);
}

// Runs a scan for ".exe" on this thread: the paths found, then "<end>" if the end report came.
QStringList scan(const QStringList& roots)
{
    DriveScan context;
    context.addFilter(QStringLiteral(".exe"));
    QStringList events;
    context.setNotify([&](ScanReport report, const QString& path) {
        events.append(report == ScanReport::Finished ? End : path);
    });
    scanDrives(context, roots);
    return events;
}

TEST(scanFolder, ReportsTheExactExtensionOutsideDotFoldersAndFollowsNoLink)
{
    QTemporaryDir dir;
    QStringList expected;
    const std::pair<const char*, bool> files[] = {
        {"War3.exe", true},       {"WAR3.EXE", false},          {"a.exe.bak", false},
        {"exe", false},           {"魔兽争霸.exe", true},       {"folder.exe/in.exe", true},
        {".svn/War3.exe", false}, {"g/.cache/War3.exe", false}, {"g/w3/War3.exe", true},
    };
    for (const auto& [name, reported] : files)
        if (const QString path = file(dir, QString::fromUtf8(name)); reported)
            expected.append(path);
    // A link to a file is a file; a link to a folder is neither reported nor entered.
    const std::pair<const char*, const char*> links[] = {{"link.exe", "War3.exe"},
                                                         {"dirlink.exe", "folder.exe"},
                                                         {"dangling.exe", "gone.exe"},
                                                         {"g/up", ".."}};
    for (const auto& [link, target] : links)
        QFile::link(QString::fromUtf8(target), dir.filePath(QString::fromUtf8(link)));
    expected << dir.filePath(QStringLiteral("link.exe")) << End;
    QStringList events = scan({dir.path()});
    EXPECT_EQ(events.last(), End);
    events.sort();
    expected.sort();
    EXPECT_EQ(events, expected);
}

TEST(scanFolder, SkipsPathsThatWouldReach260BytesInCodePage936)
{
    QTemporaryDir dir;
    const qsizetype rootLength = cp936Length(dir.path());
    // root + "/" + pad + "/" + "x.exe" is 259 bytes.
    const QString pad(252 - rootLength, u'a');
    const QString longest = file(dir, pad + "/x.exe");
    file(dir, pad + "/xy.exe");       // 260
    file(dir, pad + "bbbbbbb/q.exe"); // the folder itself reaches 260
    // Chinese characters count two bytes, not the three they take in UTF-8.
    const QString wideFolder = QString(259 - rootLength - 128, u'c') + u'/' + QString(60, u'魔');
    const QString wide = file(dir, wideFolder + "/x.exe");
    file(dir, wideFolder + "/xy.exe");
    QStringList events = scan({dir.path()});
    QStringList expected{longest, wide, End};
    events.sort();
    expected.sort();
    EXPECT_EQ(events, expected);
}

TEST(scanDrives, ReportsEachFileOnceWhereRootsOverlap)
{
    QTemporaryDir dir;
    const QString outer = file(dir, QStringLiteral("top.exe"));
    const QString inner = file(dir, QStringLiteral("Games/w3/drive_c/War3.exe"));
    QFile::link(dir.filePath(QStringLiteral("Games/w3")), dir.filePath(QStringLiteral("pfx")));
    // A disk, a prefix's drive_c on it, the same drive_c through a link, the disk again.
    const QStringList roots{dir.path(), dir.filePath(QStringLiteral("Games/w3/drive_c/")),
                            dir.filePath(QStringLiteral("pfx/drive_c")), dir.path() + u'/'};
    EXPECT_EQ(scan(roots), (QStringList{outer, inner, End}));
}

TEST(scanFolder, StaysOnTheFileSystemOfItsRoot)
{
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath(QStringLiteral("mnt"));
    QDir().mkpath(mountPoint);
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "no tmpfs could be mounted (" << strerror(errno) << "; needs root)";
    const QString own = file(dir, QStringLiteral("War3.exe"));
    file(dir, QStringLiteral("mnt/other.exe"));
    const QStringList events = scan({dir.path()});
    ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
    EXPECT_EQ(events, (QStringList{own, End}));
}

TEST(scanDrives, StopWhileAReportIsPendingEndsTheScanSilently)
{
    QTemporaryDir dir;
    for (int i = 0; i < 5; ++i)
        file(dir, QStringLiteral("folder%1/War3.exe").arg(i));
    // The worker waits inside its first report while another thread asks it to stop.
    DriveScan context;
    context.addFilter(QStringLiteral(".exe"));
    std::promise<void> entered;
    std::promise<void> release;
    int reports = 0;
    context.setNotify([&](ScanReport, const QString&) {
        if (++reports == 1) {
            entered.set_value();
            release.get_future().wait();
        }
    });
    std::thread worker([&] { scanDrives(context, {dir.path(), dir.path()}); });
    entered.get_future().wait();
    context.requestStop();
    release.set_value();
    worker.join();
    EXPECT_EQ(reports, 1);
}

} // namespace
} // namespace verdane
