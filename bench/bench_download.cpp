// Downloads 1 GiB from the repository's content server on 127.0.0.1 with
// downloadFile (progress callback live) and with `curl -s -o`, alternating,
// a few times in the same run, and prints the ratio of the best times.
// In the same run it times downloadFile checking a SHA-256 against the plain
// download, and the second half of a download that broke off half-way (the
// partial continued with a range request) against the whole download.
//
//   bench_download [--generated] [--reps N] [--dir DIR] [--mib N]
//
// --mib sets the size (default 1024); the resume and hash runs need the file
// (not --generated).
//
// By default the server sends a real 1 GiB file from DIR (the sendfile-free
// copy loop of Python's file handler is its fastest path); --generated uses
// /fault/bytes/1073741824/big.bin instead. DIR defaults to the system's
// temporary folder; the downloads land there too. downloadFile syncs the
// file to disk before renaming it and curl does not, so on a disk-backed DIR
// the run also times curl followed by `sync FILE`; on a tmpfs DIR (/dev/shm)
// the sync costs nothing and the two clients meet on equal terms.

#include "download/HttpDownload.h"

#include "Statistics.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

using verdane::bench::median;

qint64 Size = qint64(1) << 30;

bool writeBigFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>((i * 131 + i / 4096) & 0xff);
    for (qint64 written = 0; written < Size; written += block.size()) {
        block[0] = static_cast<char>(written >> 20);
        if (file.write(block) != block.size())
            return false;
    }
    return true;
}

double seconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// CPU seconds (user + system) of this process (every thread of the engine,
// the hashing one included) or of the waited-for children: the client's own
// cost, which the load of a shared machine does not inflate.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto toSeconds = [](const timeval& value) {
        return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) / 1e6;
    };
    return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
}

double best(std::vector<double> values)
{
    return *std::min_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool generated = args.contains(QStringLiteral("--generated"));
    int reps = 3;
    QString base = QDir::tempPath();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--reps")
            reps = std::max(1, args[i + 1].toInt());
        else if (args[i] == u"--dir")
            base = args[i + 1];
        else if (args[i] == u"--mib")
            Size = qint64(std::max(1, args[i + 1].toInt())) << 20;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty()) {
        std::fprintf(stderr, "curl is not on PATH\n");
        return 1;
    }

    QTemporaryDir work(base + QStringLiteral("/bench_download-XXXXXX"));
    const QString site = work.filePath(QStringLiteral("site"));
    QDir().mkpath(site);
    QString path = QStringLiteral("/fault/bytes/%1/big.bin").arg(Size);
    if (!generated) {
        std::printf("writing a 1 GiB file to serve...\n");
        if (!writeBigFile(site + QStringLiteral("/big.bin"))) {
            std::fprintf(stderr, "cannot write the served file\n");
            return 1;
        }
        path = QStringLiteral("/big.bin");
    }

    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral("python3"),
                 {QStringLiteral(VERDANE_SOURCE_DIR "/tools/content_server.py"),
                  QStringLiteral("--root"), site, QStringLiteral("--port"), QStringLiteral("0")});
    if (!server.waitForStarted(5000)) {
        std::fprintf(stderr, "content server did not start\n");
        return 1;
    }
    while (!server.canReadLine() && server.waitForReadyRead(10000)) {
    }
    const QByteArray portLine = server.readLine().trimmed();
    if (!portLine.startsWith("PORT ")) {
        std::fprintf(stderr, "content server gave no port\n");
        return 1;
    }
    const QString url =
        QStringLiteral("http://127.0.0.1:") + QString::fromLatin1(portLine.mid(5)) + path;
    const QString curlTarget = work.filePath(QStringLiteral("curl.bin"));
    const QString ownTarget = work.filePath(QStringLiteral("verdane.bin"));
    std::printf("source: %s, %d repetitions, files in %s\n", qPrintable(url), reps,
                qPrintable(work.path()));

    std::vector<double> curlTimes;
    std::vector<double> ownTimes;
    std::vector<double> curlCpu;
    std::vector<double> curlSyncedTimes;
    std::vector<double> ownCpu;
    std::atomic<int> shownPercent{0};
    std::vector<double> hashedTimes;
    std::vector<double> hashedCpu;
    std::vector<double> resumedTimes;
    QByteArray digest;
    if (!generated) {
        QFile served(site + QStringLiteral("/big.bin"));
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (!served.open(QIODevice::ReadOnly) || !hash.addData(&served)) {
            std::fprintf(stderr, "cannot read the served file\n");
            return 1;
        }
        digest = hash.result();
    }
    for (int rep = 0; rep < reps; ++rep) {
        if (!generated) {
            // The SHA-256 checked while writing.
            verdane::HttpDownload hashed;
            const double cpuBefore = cpuSeconds(RUSAGE_SELF);
            QElapsedTimer timer;
            timer.start();
            const int result = hashed.downloadFile(url, ownTarget, digest);
            hashedTimes.push_back(seconds(timer));
            hashedCpu.push_back(cpuSeconds(RUSAGE_SELF) - cpuBefore);
            // Not timed: freeing the replaced copy's pages is no part of a resume.
            const bool hashedWhole = QFileInfo(ownTarget).size() == Size;
            QFile::remove(ownTarget);
            // The first half, broken off by the server; then the rest.
            const QString cut =
                url.section(u'/', 0, 2) + QStringLiteral("/fault/resume/range/big.bin?%1").arg(rep);
            const int broken = verdane::HttpDownload().downloadFile(cut, ownTarget);
            verdane::HttpDownload rest;
            timer.start();
            const int resumed = rest.downloadFile(cut, ownTarget);
            resumedTimes.push_back(seconds(timer));
            if (result != 0 || !hashedWhole || broken != -1 || resumed != 0 ||
                rest.resumedFrom() != Size / 2 || QFileInfo(ownTarget).size() != Size) {
                std::fprintf(stderr, "hashed or resumed downloadFile failed\n");
                return 1;
            }
            std::printf("  with SHA-256 %.3f s, client CPU %.3f s; the second half of a broken "
                        "download %.3f s\n",
                        hashedTimes.back(), hashedCpu.back(), resumedTimes.back());
            QFile::remove(ownTarget);
        }
        for (int turn = 0; turn < 2; ++turn) {
            // Alternate which one goes first, so neither always finds a warmer cache.
            const bool curlTurn = (turn == 0) == (rep % 2 == 0);
            QElapsedTimer timer;
            if (curlTurn) {
                const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
                timer.start();
                const int code = QProcess::execute(
                    QStringLiteral("curl"),
                    {QStringLiteral("-s"), QStringLiteral("-o"), curlTarget, url});
                const double elapsed = seconds(timer);
                const double cpu = cpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
                if (code != 0 || QFileInfo(curlTarget).size() != Size) {
                    std::fprintf(stderr, "curl failed\n");
                    return 1;
                }
                // downloadFile syncs its file before the rename; curl leaves it
                // in the page cache. Timing `sync FILE` after curl shows that share.
                QElapsedTimer syncTimer;
                syncTimer.start();
                QProcess::execute(QStringLiteral("sync"), {curlTarget});
                const double synced = elapsed + seconds(syncTimer);
                curlTimes.push_back(elapsed);
                curlSyncedTimes.push_back(synced);
                curlCpu.push_back(cpu);
                std::printf("  curl -o       %.3f s, client CPU %.3f s (%.3f s with sync)\n",
                            elapsed, cpu, synced);
                QFile::remove(curlTarget);
            } else {
                verdane::HttpDownload download([&shownPercent](int percent) {
                    shownPercent.store(percent, std::memory_order_relaxed);
                });
                const double cpuBefore = cpuSeconds(RUSAGE_SELF);
                timer.start();
                const int result = download.downloadFile(url, ownTarget);
                const double elapsed = seconds(timer);
                const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
                if (result != 0 || QFileInfo(ownTarget).size() != Size ||
                    shownPercent.load() != 100) {
                    std::fprintf(stderr, "DownloadFile failed\n");
                    return 1;
                }
                ownTimes.push_back(elapsed);
                ownCpu.push_back(cpu);
                std::printf("  downloadFile  %.3f s, client CPU %.3f s\n", elapsed, cpu);
                QFile::remove(ownTarget);
            }
        }
    }
    server.kill();
    server.waitForFinished(5000);

    const double gib = static_cast<double>(Size) / (1 << 30);
    std::printf("curl -o:      best %.3f s (%.0f MiB/s), median %.3f s\n", best(curlTimes),
                gib * 1024 / best(curlTimes), median(curlTimes));
    std::printf("DownloadFile: best %.3f s (%.0f MiB/s), median %.3f s\n", best(ownTimes),
                gib * 1024 / best(ownTimes), median(ownTimes));
    std::printf("ratio downloadFile / curl: best %.3f, median %.3f (goal <= 1.05)\n",
                best(ownTimes) / best(curlTimes), median(ownTimes) / median(curlTimes));
    std::printf("ratio downloadFile / (curl -o + sync FILE): best %.3f, median %.3f\n",
                best(ownTimes) / best(curlSyncedTimes), median(ownTimes) / median(curlSyncedTimes));
    std::printf("client CPU: curl best %.3f s, downloadFile best %.3f s, ratio %.3f\n",
                best(curlCpu), best(ownCpu), best(ownCpu) / best(curlCpu));
    if (!generated) {
        std::printf("ratio with SHA-256 / without: best %.3f, median %.3f (goal <= 1.15); "
                    "client CPU best %.3f\n",
                    best(hashedTimes) / best(ownTimes), median(hashedTimes) / median(ownTimes),
                    best(hashedCpu) / best(ownCpu));
        std::printf("ratio resumed second half / whole: best %.3f, median %.3f (goal <= 0.55)\n",
                    best(resumedTimes) / best(ownTimes), median(resumedTimes) / median(ownTimes));
    }
    return 0;
}
