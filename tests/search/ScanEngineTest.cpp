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

struct Event {
    ScanReport report;
    QString path;
    bool operator==(const Event&) const = default;
};

void PrintTo(const Event& event, std::ostream* os)
{
    *os << (event.report == ScanReport::Finished ? "Finished" : "Found ")
        << event.path.toStdString();
}

// A temporary folder with helpers to lay out a tree in it.
class Tree {
public:
    Tree() { EXPECT_TRUE(dir_.isValid()); }
    QString root() const { return dir_.path(); }
    QString path(const QString& relative) const { return dir_.filePath(relative); }
    QString file(const QString& relative) const
    {
        const QString full = path(relative);
        QDir().mkpath(QFileInfo(full).path());
        QFile out(full);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly)) << full.toStdString();
        return full;
    }
    QString folder(const QString& relative) const
    {
        const QString full = path(relative);
        EXPECT_TRUE(QDir().mkpath(full));
        return full;
    }
    void link(const QString& relative, const QString& target) const
    {
        const QString full = path(relative);
        QDir().mkpath(QFileInfo(full).path());
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(full).constData()),
            0);
    }

private:
    QTemporaryDir dir_;
};

// Runs a scan on this thread and records every report.
std::vector<Event> scan(const QStringList& roots,
                        const std::function<void(DriveScan&, const Event&)>& onReport = {})
{
    DriveScan context;
    context.AddFilter(QStringLiteral(".exe"));
    std::vector<Event> events;
    context.SetNotify([&](ScanReport report, const QString& path) {
        events.push_back({report, path});
        if (onReport)
            onReport(context, events.back());
    });
    ScanDrives(context, roots);
    return events;
}

std::vector<Event> found(const QStringList& paths)
{
    std::vector<Event> events;
    for (const QString& path : paths)
        events.push_back({ScanReport::Found, path});
    return events;
}

std::vector<Event> foundThenEnd(const QStringList& paths)
{
    std::vector<Event> events = found(paths);
    events.push_back({ScanReport::Finished, {}});
    return events;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

QStringList foundPaths(const std::vector<Event>& events)
{
    QStringList paths;
    for (const Event& event : events) {
        if (event.report == ScanReport::Found)
            paths.append(event.path);
    }
    return paths;
}

TEST(ScanFolder, ReportsExactlyTheExtensionLetterCaseIncluded)
{
    const struct {
        const char* name;
        bool reported;
    } cases[] = {
        {"War3.exe", true},     {"WAR3.EXE", false},    {"setup.Exe", false},
        {"a.exe.bak", false},   {"noextension", false}, {"exe", false},
        {"a.exe1", false},      {"a.exe ", false},      {"my game.exe", true},
        {"魔兽争霸.exe", true}, {".exe", true},         {"tool.EXE.exe", true},
    };
    Tree tree;
    QStringList expected;
    for (const auto& entry : cases) {
        const QString path = tree.file(QString::fromUtf8(entry.name));
        if (entry.reported)
            expected.append(path);
    }
    // A folder is never reported, whatever its name, but it is walked.
    expected.append(tree.file(QStringLiteral("folder.exe/inner.exe")));
    // A link to a file is a file; a link to a folder is neither reported nor entered.
    tree.link(QStringLiteral("link.exe"), tree.path(QStringLiteral("War3.exe")));
    expected.append(tree.path(QStringLiteral("link.exe")));
    tree.link(QStringLiteral("dirlink.exe"), tree.path(QStringLiteral("folder.exe")));
    tree.link(QStringLiteral("dangling.exe"), tree.path(QStringLiteral("gone.exe")));

    const std::vector<Event> events = scan({tree.root()});
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (Event{ScanReport::Finished, {}}));
    EXPECT_EQ(sorted(foundPaths(events)), sorted(expected));
}

TEST(ScanFolder, SkipsDotFoldersButEntersFoldersHiddenByName)
{
    Tree tree;
    tree.file(QStringLiteral(".svn/War3.exe"));
    tree.file(QStringLiteral(".wine/drive_c/War3.exe"));
    tree.file(QStringLiteral("games/.cache/War3.exe"));
    // File managers hide the names listed in a ".hidden" file; the walk does not.
    QFile hidden(tree.file(QStringLiteral(".hidden")));
    ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
    hidden.write("Secret\n");
    hidden.close();
    const QStringList expected{tree.file(QStringLiteral("Secret/War3.exe")),
                               tree.file(QStringLiteral("games/w3/War3.exe"))};

    EXPECT_EQ(sorted(foundPaths(scan({tree.root()}))), sorted(expected));
}

// The expected order, from Qt's own unsorted listing: pre-order, depth first.
void listPreOrder(const QString& folder, QStringList& out)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir() && !info.fileName().startsWith(QLatin1Char('.')))
            listPreOrder(info.filePath(), out);
        else if (info.isFile() && info.fileName().endsWith(QLatin1String(".exe")))
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

    // The roots come as the box orders them, not as they were created.
    EXPECT_EQ(scan({second.root() + QLatin1Char('/'), first.root()}), foundThenEnd(expected));
}

TEST(ScanDrives, RootThatCannotBeListedGivesOnlyTheEndReport)
{
    Tree tree;
    const QString file = tree.file(QStringLiteral("War3.exe"));
    EXPECT_EQ(scan({tree.path(QStringLiteral("missing/")), file, QString()}), foundThenEnd({}));
}

TEST(ScanFolder, NeverFollowsSymbolicLinks)
{
    Tree tree;
    const QString real = tree.file(QStringLiteral("game/War3.exe"));
    tree.link(QStringLiteral("loop"), QStringLiteral("."));
    tree.link(QStringLiteral("game/up"), QStringLiteral(".."));
    tree.link(QStringLiteral("game/again"), tree.path(QStringLiteral("game")));
    // A Wine prefix's way to the whole disk.
    tree.link(QStringLiteral("dosdevices/z:"), QStringLiteral("/"));

    EXPECT_EQ(scan({tree.root()}), foundThenEnd({real}));
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
    ASSERT_TRUE(dir.isValid());
    const QString exe = dir.filePath(QStringLiteral("War3.exe"));
    QFile out(exe);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.close();

    EXPECT_TRUE(foundPaths(scan({QStringLiteral("/dev/shm/")})).contains(exe));
    EXPECT_FALSE(foundPaths(scan({QStringLiteral("/dev/")})).contains(exe));
}

TEST(ScanFolder, SkipsPathsThatWouldReach260BytesInCodePage936)
{
    Tree tree;
    const qsizetype rootLength = cp936Length(tree.root());
    ASSERT_LT(rootLength, 120);
    // root + "/" + pad + "/" + "x.exe" is 259 bytes.
    const QString pad(252 - rootLength, QLatin1Char('a'));
    const QString longest = tree.file(pad + QStringLiteral("/x.exe"));
    tree.file(pad + QStringLiteral("/xy.exe"));       // 260
    tree.file(pad + QStringLiteral("/e/z.exe"));      // the folder fits, the file does not
    tree.file(pad + QStringLiteral("bbbbbbb/q.exe")); // the folder itself reaches 260

    // Chinese characters count two bytes, not the three they take in UTF-8.
    const QString han(60, QChar(0x9B54)); // 魔
    const QString ascii(259 - rootLength - 1 - 1 - 120 - 1 - 5, QLatin1Char('c'));
    const QString wide = tree.file(ascii + QLatin1Char('/') + han + QStringLiteral("/x.exe"));
    tree.file(ascii + QLatin1Char('/') + han + QStringLiteral("/xy.exe"));
    ASSERT_EQ(cp936Length(wide), 259);
    ASSERT_GT(wide.toUtf8().size(), 259);

    EXPECT_EQ(sorted(foundPaths(scan({tree.root()}))), sorted({longest, wide}));
}

TEST(ScanFolder, SkipsNamesThatAreNotUtf8)
{
    Tree tree;
    const QByteArray gbkFolder = QFile::encodeName(tree.root()) + "/\xc4\xa7\xca\xde"; // GBK bytes
    ASSERT_EQ(::mkdir(gbkFolder.constData(), 0755), 0);
    ::close(::creat((gbkFolder + "/War3.exe").constData(), 0644));
    const QString fine = tree.file(QStringLiteral("ok/War3.exe"));

    EXPECT_EQ(scan({tree.root()}), foundThenEnd({fine}));
    // QDir cannot name these entries either, so they are removed here.
    ::unlink((gbkFolder + "/War3.exe").constData());
    ::rmdir(gbkFolder.constData());
}

TEST(ScanFolder, SkipsFoldersThatVanishDuringTheScan)
{
    Tree tree;
    for (int i = 0; i < 6; ++i)
        tree.file(QStringLiteral("folder%1/War3.exe").arg(i));
    const auto events = scan({tree.root()}, [&](DriveScan&, const Event& event) {
        // At the first report, every other folder goes away.
        const QString keep = QFileInfo(event.path).path();
        for (int i = 0; i < 6; ++i) {
            QDir other(tree.path(QStringLiteral("folder%1").arg(i)));
            if (other.path() != keep)
                other.removeRecursively();
        }
    });
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back(), (Event{ScanReport::Finished, {}}));
}

// Folders the scanning user may not list. root may list anything, so the scan
// then runs in a child process as "nobody".
TEST(ScanFolder, SkipsFoldersThatCannotBeRead)
{
    Tree tree;
    const QString readable = tree.file(QStringLiteral("open/War3.exe"));
    tree.file(QStringLiteral("locked/War3.exe"));
    tree.file(QStringLiteral("passable/inner/War3.exe"));
    tree.file(QStringLiteral("locked/deeper/War3.exe"));
    ASSERT_EQ(::chmod(QFile::encodeName(tree.root()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(tree.path(QStringLiteral("locked"))).constData(), 0), 0);
    // Can be passed through but not listed.
    ASSERT_EQ(::chmod(QFile::encodeName(tree.path(QStringLiteral("passable"))).constData(), 0311),
              0);

    QStringList paths;
    if (::geteuid() != 0) {
        const auto events = scan({tree.root()});
        EXPECT_EQ(events.back(), (Event{ScanReport::Finished, {}}));
        paths = foundPaths(events);
    } else {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            QByteArray out;
            for (const Event& event : scan({tree.root()}))
                out += event.report == ScanReport::Finished ? QByteArray("END\n")
                                                            : event.path.toUtf8() + '\n';
            const bool written =
                ::write(pipeFds[1], out.constData(), size_t(out.size())) == ssize_t(out.size());
            ::_exit(written ? 0 : 3);
        }
        ::close(pipeFds[1]);
        QFile in;
        ASSERT_TRUE(in.open(pipeFds[0], QIODevice::ReadOnly, QFile::AutoCloseHandle));
        const QList<QByteArray> lines = in.readAll().split('\n');
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[lines.size() - 2], "END");
        for (qsizetype i = 0; i + 2 < lines.size(); ++i)
            paths.append(QString::fromUtf8(lines[i]));
    }
    ::chmod(QFile::encodeName(tree.path(QStringLiteral("locked"))).constData(), 0755);
    ::chmod(QFile::encodeName(tree.path(QStringLiteral("passable"))).constData(), 0755);
    EXPECT_EQ(paths, QStringList{readable});
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
    std::vector<Event> events;
    context.SetNotify([&](ScanReport report, const QString& path) {
        events.push_back({report, path});
        if (events.size() == 1) {
            entered.set_value();
            release.get_future().wait();
        }
    });
    std::thread worker([&] { ScanDrives(context, {tree.root(), tree.root()}); });
    entered.get_future().wait();
    context.RequestStop();
    release.set_value();
    worker.join();

    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events.front().report, ScanReport::Found);
}

} // namespace
} // namespace verdane
