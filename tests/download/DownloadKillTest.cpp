#include "download/DownloadTempFile.h"
#include "download/HttpDownload.h"

#include "support/ContentServerProcess.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <thread>

namespace verdane {
namespace {

using test::readFile;
using test::writeFile;

const QByteArray OlderCopy = "an older copy of the map";
const QByteArray Small(70000, 'm');

// Every entry of a folder, hidden ones, links and folders included, sorted.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class DownloadKillTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeFile(root_.filePath(QStringLiteral("small.w3x")), Small) &&
                    server_.started());
    }
    int download(const QString& path, const QString& localPath) const
    {
        return HttpDownload().downloadFile(server_.url(path), localPath);
    }

    QTemporaryDir root_;
    test::ContentServerProcess server_{root_.path()};
    QTemporaryDir out_;
};

// The next download clears up what a killed one left, or continues it where the
// server sent validators (half of the file, then silence); an older copy stays until then.
TEST_F(DownloadKillTest, AKilledDownloadLeavesNothingUnderTheFinalNameAndTheNextOneClearsUp)
{
    for (const bool resumable : {false, true}) {
        const QString path = resumable ? QStringLiteral("/fault/resume/stall/small.w3x")
                                       : QStringLiteral("/fault/bytes/1000000000/huge.w3x");
        QTemporaryDir folder;
        const QString target = folder.filePath(QStringLiteral("map.w3x"));
        ASSERT_TRUE(!resumable || writeFile(target, OlderCopy));
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(VERDANE_DOWNLOAD_PROCESS), {server_.url(path), target});
        // A progress line means a block of the body is in the temporary file.
        QByteArray output;
        while (!output.contains("progress ") && process.waitForReadyRead(20000))
            output += process.readAllStandardOutput();
        ASSERT_TRUE(output.contains("progress ") && !output.contains("result "))
            << output.toStdString();
        process.kill(); // SIGKILL: no clean-up code of the download runs
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(readFile(target), resumable ? OlderCopy : QByteArray());
        // Where the file system has no unnamed files, a file of the download's own form may remain.
        for (const QString& name : entries(folder.path()))
            EXPECT_TRUE(name == QStringLiteral("map.w3x") ||
                        DownloadTempFile::isTempName(QFile::encodeName(name)))
                << name.toStdString();
        HttpDownload next;
        ASSERT_EQ(
            next.downloadFile(server_.url(resumable ? path : QStringLiteral("/small.w3x")), target),
            0);
        EXPECT_EQ(next.resumedFrom() > 0, resumable);
        EXPECT_EQ(entries(folder.path()), QStringList{"map.w3x"});
        EXPECT_EQ(readFile(target), Small);
    }
}

TEST_F(DownloadKillTest, TheSweepTakesOnlyLeftOversOfTheDownloadsOwnForm)
{
    const auto at = [&](const QString& name) { return out_.filePath(name); };
    // Names close to the form that users or other programs may well have.
    QStringList kept{
        "a.w3x",           "a.w3x.verdane-AbC123", ".a.w3x.verdane-AbC12", ".a.w3x.verdane-AbC12!",
        ".verdane-AbC123", ".a.w3x.Verdane-AbC123"};
    for (const QString& name :
         kept + QStringList{".a.w3x.verdane-AbC123", ".地图 一.w3x.verdane-xyz789"})
        ASSERT_TRUE(writeFile(at(name), "x"));
    // A link of the form pointing at a user's file, a folder of the form, and the
    // file of a download that is still running: it holds the lock.
    ASSERT_TRUE(
        QFile::link(at(QStringLiteral("a.w3x")), at(QStringLiteral(".l.w3x.verdane-Link00"))));
    ASSERT_TRUE(QDir(out_.path()).mkdir(QStringLiteral(".d.w3x.verdane-Fold00")));
    const QString running = QStringLiteral(".b.w3x.verdane-Runs00");
    ASSERT_TRUE(writeFile(at(running), "partial"));
    const int held = ::open(QFile::encodeName(at(running)).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    // A name of 255 bytes over an older copy: the temporary name beside it is cut to stay valid.
    const QString longest = QString(83, u'图') + QStringLiteral("é.w3x");
    ASSERT_TRUE(writeFile(at(longest), OlderCopy));
    ASSERT_EQ(download(QStringLiteral("/small.w3x"), at(longest)), 0);
    ::close(held);
    EXPECT_EQ(readFile(at(longest)), Small);
    kept << ".l.w3x.verdane-Link00"
         << ".d.w3x.verdane-Fold00" << running << longest;
    kept.sort();
    QStringList remaining = entries(out_.path());
    remaining.sort();
    EXPECT_EQ(remaining, kept);
    // Once its download has ended, the next sweep takes it too.
    EXPECT_EQ(DownloadTempFile::sweepLeftovers(out_.path()), 1);
}

TEST_F(DownloadKillTest, DownloadsOnTwoWorkerThreadsIntoOneFolder)
{
    // Each sweeps the folder while the other writes there.
    int first = -1, second = 0;
    std::thread one([&] {
        first = download(QStringLiteral("/fault/bytes/3000000/one.w3x"),
                         out_.filePath(QStringLiteral("one.w3x")));
    });
    for (int i = 0; i < 5; ++i)
        second += download(QStringLiteral("/small.w3x"), out_.filePath(QStringLiteral("two.w3x")));
    one.join();
    EXPECT_EQ(first + second, 0);
    EXPECT_EQ(entries(out_.path()), (QStringList{"one.w3x", "two.w3x"}));
    EXPECT_EQ(QFileInfo(out_.filePath(QStringLiteral("one.w3x"))).size(), 3000000);
}

} // namespace
} // namespace verdane
