#include "common/Cp936.h"
#include "search/DriveScan.h"
#include "search/ScanDrives.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <thread>

namespace verdane {
namespace {

const QString end = QStringLiteral("<end>");

// A temporary folder to lay out a tree in.
struct Tree {
    QTemporaryDir dir;
    QString root() const { return dir.path(); }
    QString path(const QString& relative) const { return dir.filePath(relative); }
    QString file(const QString& relative) const
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile out(path(relative));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << relative.toStdString();
        return out.fileName();
    }
    void link(const QString& relative, const QString& target) const
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        EXPECT_TRUE(QFile::link(target, path(relative))) << relative.toStdString();
    }
};

// Runs a scan for ".exe" on this thread: the paths found, then "<end>" if the end report came.
QStringList scan(const QStringList& roots, const std::function<void(const QString&)>& onFound = {})
{
    DriveScan context;
    context.AddFilter(QStringLiteral(".exe"));
    QStringList events;
    context.SetNotify([&](ScanReport report, const QString& path) {
        events.append(report == ScanReport::Finished ? end : path);
        if (onFound && report == ScanReport::Found)
            onFound(path);
    });
    ScanDrives(context, roots);
    return events;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

TEST(ScanFolder, ReportsTheExactExtensionOutsideDotFoldersAndFollowsNoLink)
{
    Tree tree;
    QStringList expected{end};
    const struct {
        const char* name;
        bool reported;
    } files[] = {
        {"War3.exe", true},          {"WAR3.EXE", false},      {"setup.Exe", false},
        {"a.exe.bak", false},        {"exe", false},           {"a.exe ", false},
        {"my game.exe", true},       {"魔兽争霸.exe", true},   {"tool.EXE.exe", true},
        {"folder.exe/in.exe", true}, {".svn/War3.exe", false}, {"g/.cache/War3.exe", false},
        {"Secret/War3.exe", true},   {"g/w3/War3.exe", true},
    };
    for (const auto& entry : files) {
        const QString path = tree.file(QString::fromUtf8(entry.name));
        if (entry.reported)
            expected.append(path);
    }
    // File managers hide the names listed in ".hidden"; the walk does not.
    QFile hidden(tree.file(QStringLiteral(".hidden")));
    ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
    hidden.write("Secret\n");
    hidden.close();
    // A link to a file is a file; a link to a folder is neither reported nor entered.
    tree.link(QStringLiteral("link.exe"), tree.path(QStringLiteral("War3.exe")));
    expected.append(tree.path(QStringLiteral("link.exe")));
    tree.link(QStringLiteral("dirlink.exe"), tree.path(QStringLiteral("folder.exe")));
    tree.link(QStringLiteral("dangling.exe"), tree.path(QStringLiteral("gone.exe")));
    tree.link(QStringLiteral("loop"), QStringLiteral("."));
    tree.link(QStringLiteral("g/up"), QStringLiteral(".."));
    tree.link(QStringLiteral("dosdevices/z:"), QStringLiteral("/")); // a Wine prefix's way out
    // A folder whose name is not UTF-8 (GBK bytes) cannot be named, so it is skipped.
    const QByteArray gbk = QFile::encodeName(tree.root()) + "/\xc4\xa7\xca\xde";
    ASSERT_EQ(::mkdir(gbk.constData(), 0755), 0);
    ::close(::creat((gbk + "/War3.exe").constData(), 0644));

    const QStringList events = scan({tree.root()});
    EXPECT_EQ(events.last(), end);
    EXPECT_EQ(sorted(events), sorted(expected));
    // QDir cannot name these entries either.
    ::unlink((gbk + "/War3.exe").constData());
    ::rmdir(gbk.constData());
}

// The expected order, from Qt's own unsorted listing: pre-order, depth first.
void listPreOrder(const QString& folder, QStringList& out)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isDir())
            listPreOrder(info.filePath(), out);
        else
            out.append(info.filePath());
    }
}

TEST(ScanDrives, WalksDepthFirstInListingOrderAndRootsInListOrder)
{
    Tree first;
    Tree second;
    for (const Tree* tree : {&first, &second}) {
        for (int a = 0; a < 4; ++a) {
            tree->file(QStringLiteral("f%1.exe").arg(a));
            for (int b = 0; b < 3; ++b) {
                tree->file(QStringLiteral("d%1/g%2.exe").arg(a).arg(b));
                tree->file(QStringLiteral("d%1/e%2/h.exe").arg(a).arg(b));
            }
        }
    }
    QStringList expected;
    listPreOrder(second.root(), expected);
    listPreOrder(first.root(), expected);
    ASSERT_EQ(expected.size(), 2 * (4 + 4 * 3 * 2));
    // Roots that cannot be listed add nothing but do not stop the scan.
    EXPECT_EQ(scan({second.root() + u'/', first.path("missing/"), first.path("f0.exe"), QString(),
                    first.root()}),
              expected << end);
}

TEST(ScanFolder, StaysOnTheFileSystemOfItsRoot)
{
    // /dev/shm is a file system of its own mounted inside /dev on Linux systems.
    struct stat dev {};
    struct stat shm {};
    if (::stat("/dev", &dev) != 0 || ::stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev ||
        ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no separate, writable /dev/shm here";
    QTemporaryDir dir(QStringLiteral("/dev/shm/verdane-scan-XXXXXX"));
    QFile exe(dir.filePath(QStringLiteral("War3.exe")));
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
    EXPECT_TRUE(scan({QStringLiteral("/dev/shm/")}).contains(exe.fileName()));
    EXPECT_FALSE(scan({QStringLiteral("/dev/")}).contains(exe.fileName()));
}

TEST(ScanFolder, SkipsPathsThatWouldReach260BytesInCodePage936)
{
    Tree tree;
    const qsizetype rootLength = cp936Length(tree.root());
    ASSERT_LT(rootLength, 120);
    // root + "/" + pad + "/" + "x.exe" is 259 bytes.
    const QString pad(252 - rootLength, u'a');
    const QString longest = tree.file(pad + "/x.exe");
    tree.file(pad + "/xy.exe");       // 260
    tree.file(pad + "/e/z.exe");      // the folder fits, the file does not
    tree.file(pad + "bbbbbbb/q.exe"); // the folder itself reaches 260
    // Chinese characters count two bytes, not the three they take in UTF-8.
    const QString wideFolder = QString(259 - rootLength - 128, u'c') + u'/' + QString(60, u'魔');
    const QString wide = tree.file(wideFolder + "/x.exe");
    tree.file(wideFolder + "/xy.exe");
    ASSERT_EQ(cp936Length(wide), 259);
    ASSERT_GT(wide.toUtf8().size(), 259);

    EXPECT_EQ(sorted(scan({tree.root()})), sorted({longest, wide, end}));
}

TEST(ScanFolder, SkipsFoldersThatVanishDuringTheScan)
{
    Tree tree;
    for (int i = 0; i < 6; ++i)
        tree.file(QStringLiteral("folder%1/War3.exe").arg(i));
    // At the first report, every other folder goes away.
    const QStringList events = scan({tree.root()}, [&](const QString& path) {
        for (int i = 0; i < 6; ++i) {
            QDir other(tree.path(QStringLiteral("folder%1").arg(i)));
            if (other.path() != QFileInfo(path).path())
                other.removeRecursively();
        }
    });
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events.last(), end);
}

// Root may list anything, so the scan runs in a child process as "nobody" then.
TEST(ScanFolder, SkipsFoldersThatCannotBeRead)
{
    Tree tree;
    const QString readable = tree.file(QStringLiteral("open/War3.exe"));
    tree.file(QStringLiteral("locked/War3.exe"));
    tree.file(QStringLiteral("locked/deeper/War3.exe"));
    tree.file(QStringLiteral("passable/inner/War3.exe"));
    const auto mode = [&](const char* relative, mode_t bits) {
        return ::chmod(QFile::encodeName(tree.path(QString::fromUtf8(relative))).constData(), bits);
    };
    ASSERT_EQ(mode("", 0755), 0);
    ASSERT_EQ(mode("locked", 0), 0);
    ASSERT_EQ(mode("passable", 0311), 0); // can be passed through but not listed

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        const QByteArray out = scan({tree.root()}).join(u'\n').toUtf8();
        ::_exit(::write(fds[1], out.constData(), size_t(out.size())) == out.size() ? 0 : 3);
    }
    ::close(fds[1]);
    QFile in;
    ASSERT_TRUE(in.open(fds[0], QIODevice::ReadOnly, QFile::AutoCloseHandle));
    const QString out = QString::fromUtf8(in.readAll());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    mode("locked", 0755);
    mode("passable", 0755);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(out.split(u'\n'), (QStringList{readable, end}));
}

TEST(ScanDrives, StopWhileAReportIsPendingEndsTheScanSilently)
{
    Tree tree;
    for (int i = 0; i < 5; ++i)
        tree.file(QStringLiteral("folder%1/War3.exe").arg(i));
    // The worker waits inside its first report while another thread asks it to stop.
    DriveScan context;
    context.AddFilter(QStringLiteral(".exe"));
    std::promise<void> entered;
    std::promise<void> release;
    int reports = 0;
    context.SetNotify([&](ScanReport report, const QString&) {
        EXPECT_EQ(report, ScanReport::Found);
        if (++reports == 1) {
            entered.set_value();
            release.get_future().wait();
        }
    });
    std::thread worker([&] { ScanDrives(context, {tree.root(), tree.root()}); });
    entered.get_future().wait();
    context.RequestStop();
    release.set_value();
    worker.join();
    EXPECT_EQ(reports, 1);
}

} // namespace
} // namespace verdane
