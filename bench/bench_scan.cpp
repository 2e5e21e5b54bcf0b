// Times the drive scan against find(1) on a generated tree of about 200,000
// files in 20,000 folders, a few thousand of them ".exe", warm cache.
//
//   bench_scan [TREE_DIR] [--remove]
//
// The tree is made once under TREE_DIR (default: beside this program, or
// /var/tmp when that is tmpfs) and reused by later runs; --remove deletes it
// at the end. Goal: the engine takes at most 1.1 x find's time.

#include "search/DriveScan.h"
#include "search/ScanDrives.h"

#include "Statistics.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <spawn.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

extern char** environ;

namespace {

using verdane::bench::median;

constexpr long TmpfsMagic = 0x01021994;
constexpr int Fanout = 10;          // folders per level above the leaves
constexpr int LeavesPerFolder = 20; // 10 x 10 x 10 x 20 = 20,000 leaf folders
constexpr int FilesPerLeaf = 10;    // 200,000 files
constexpr int ExeEvery = 50;        // 4,000 of them ".exe"
const char* const Marker = "tree-complete-v1";

bool onTmpfs(const QString& path)
{
    struct statfs info {};
    return statfs(QFile::encodeName(path).constData(), &info) == 0 && info.f_type == TmpfsMagic;
}

bool touch(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int generate(const QString& root)
{
    QDir().mkpath(root);
    const std::string base = QFile::encodeName(root).toStdString();
    int exes = 0;
    int serial = 0;
    for (int a = 0; a < Fanout; ++a)
        for (int b = 0; b < Fanout; ++b)
            for (int c = 0; c < Fanout; ++c)
                for (int d = 0; d < LeavesPerFolder; ++d) {
                    const std::string leaf = base + "/lib" + std::to_string(a) + "/pkg" +
                                             std::to_string(b) + "/src" + std::to_string(c) +
                                             "/part" + std::to_string(d);
                    QDir().mkpath(QString::fromStdString(leaf));
                    for (int f = 0; f < FilesPerLeaf; ++f, ++serial) {
                        const bool exe = serial % ExeEvery == 0;
                        exes += exe ? 1 : 0;
                        if (!touch(leaf + "/file" + std::to_string(serial) +
                                   (exe ? ".exe" : (f % 2 ? ".dat" : ".txt"))))
                            return -1;
                    }
                }
    touch(base + "/" + Marker);
    return exes;
}

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double timeEngine(const QString& root, long& found)
{
    verdane::DriveScan scan;
    scan.addFilter(QStringLiteral(".exe"));
    long count = 0;
    scan.setNotify([&count](verdane::ScanReport report, const QString&) {
        if (report == verdane::ScanReport::Found)
            ++count;
    });
    const auto start = std::chrono::steady_clock::now();
    verdane::scanDrives(scan, {root});
    const double elapsed = seconds(std::chrono::steady_clock::now() - start);
    found = count;
    return elapsed;
}

// find ROOT -xdev -name '*.exe', its output to outFd.
double timeFind(const QString& root, int outFd)
{
    const QByteArray rootBytes = QFile::encodeName(root);
    char* argv[] = {const_cast<char*>("find"),  const_cast<char*>(rootBytes.constData()),
                    const_cast<char*>("-xdev"), const_cast<char*>("-name"),
                    const_cast<char*>("*.exe"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "find", &actions, nullptr, argv, environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const double elapsed = seconds(std::chrono::steady_clock::now() - start);
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

long findCount(const QString& root)
{
    char path[] = "/tmp/bench_scan_find_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return -1;
    unlink(path);
    timeFind(root, fd);
    long lines = 0;
    char buffer[65536];
    lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        lines += std::count(buffer, buffer + n, '\n');
    close(fd);
    return lines;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString base;
    bool remove = false;
    for (const QString& arg : app.arguments().mid(1)) {
        if (arg == QLatin1String("--remove"))
            remove = true;
        else
            base = arg;
    }
    if (base.isEmpty()) {
        base = QCoreApplication::applicationDirPath();
        if (onTmpfs(base))
            base = QStringLiteral("/var/tmp");
    }
    if (onTmpfs(base))
        std::printf("warning: %s is tmpfs; the timings do not show a disk\n", qPrintable(base));
    const QString root = QDir(base).filePath(QStringLiteral("verdane-bench-scan-tree"));

    if (!QFileInfo::exists(root + QLatin1Char('/') + QLatin1String(Marker))) {
        QDir(root).removeRecursively();
        std::printf("generating %s ...\n", qPrintable(root));
        std::fflush(stdout);
        if (generate(root) < 0) {
            std::printf("could not write the tree\n");
            return 1;
        }
    }

    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    long found = 0;
    // Warm the cache with both, and check that they agree.
    timeEngine(root, found);
    const long expected = findCount(root);
    std::printf("tree: %s\nfiles found: engine %ld, find %ld\n", qPrintable(root), found, expected);
    if (found != expected)
        return 1;

    constexpr int Repetitions = 7;
    std::vector<double> engine;
    std::vector<double> find;
    for (int i = 0; i < Repetitions; ++i) {
        engine.push_back(timeEngine(root, found));
        find.push_back(timeFind(root, devNull));
        std::printf("run %d: engine %.1f ms, find %.1f ms\n", i + 1, engine.back() * 1e3,
                    find.back() * 1e3);
    }
    const double engineMedian = median(engine);
    const double findMedian = median(find);
    std::printf("median: engine %.1f ms, find %.1f ms\n", engineMedian * 1e3, findMedian * 1e3);
    std::printf("ratio engine/find: %.3f (goal <= 1.1)\n", engineMedian / findMedian);

    if (remove) {
        std::printf("removing the tree ...\n");
        QDir(root).removeRecursively();
    }
    return 0;
}
