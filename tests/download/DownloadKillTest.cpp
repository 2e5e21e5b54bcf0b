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

using test::ContentServerProcess;
using test::readFile;
using test::writeFile;

const QByteArray kOlderCopy = "an older copy of the map";

// Every entry of a folder, hidden ones, links and folders included.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class DownloadKillTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root_ = new QTemporaryDir;
        QByteArray big(4 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>(i % 253);
        writeFile(root_->filePath(QStringLiteral("big.w3x")), big);
        writeFile(root_->filePath(QStringLiteral("small.w3x")), QByteArray(70000, 'm'));
        server_ = new ContentServerProcess(root_->path());
    }
    static void TearDownTestSuite()
    {
        delete server_;
        delete root_;
    }
    void SetUp() override { ASSERT_TRUE(server_->started()); }

    static int download(const QString& path, const QString& localPath)
    {
        return HttpDownload().DownloadFile(server_->url(path), localPath);
    }

    static inline QTemporaryDir* root_ = nullptr;
    static inline ContentServerProcess* server_ = nullptr;
    QTemporaryDir out_;
};

TEST_F(DownloadKillTest, AKilledDownloadLeavesNothingUnderTheFinalName)
{
    const struct {
        const char* path;
        bool olderCopy;
    } cases[] = {
        {"/fault/stall/big.w3x", false},            // waits, half the body on disk
        {"/fault/stall/big.w3x", true},             // the same, over an older copy
        {"/fault/bytes/1000000000/huge.w3x", true}, // killed while the body streams in
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path);
        QTemporaryDir folder;
        const QString target = folder.filePath(QStringLiteral("map.w3x"));
        if (row.olderCopy) {
            ASSERT_TRUE(writeFile(target, kOlderCopy));
        }

        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(VERDANE_DOWNLOAD_PROCESS), {server_->url(row.path), target});
        ASSERT_TRUE(process.waitForStarted(10000));
        // A progress line means a block of the body is in the temporary file.
        QByteArray output;
        while (!output.contains("progress ") && process.waitForReadyRead(20000))
            output += process.readAllStandardOutput();
        ASSERT_TRUE(output.contains("progress ")) << output.toStdString();
        ASSERT_FALSE(output.contains("result ")) << "finished before it could be killed";
        process.kill(); // SIGKILL: no clean-up code of the download runs
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);

        if (row.olderCopy) {
            EXPECT_EQ(readFile(target), kOlderCopy);
        } else {
            EXPECT_FALSE(QFileInfo::exists(target));
        }
        // Where the file system has no unnamed files, a temporary file of the
        // download's own form may remain; nothing else.
        for (const QString& name : entries(folder.path())) {
            if (name != QStringLiteral("map.w3x")) {
                EXPECT_TRUE(DownloadTempFile::IsTempName(QFile::encodeName(name)))
                    << name.toStdString();
            }
        }

        // The next download into the folder clears it up.
        ASSERT_EQ(
            download(QStringLiteral("/small.w3x"), folder.filePath(QStringLiteral("next.w3x"))), 0);
        const QStringList expected =
            row.olderCopy ? QStringList{"map.w3x", "next.w3x"} : QStringList{"next.w3x"};
        EXPECT_EQ(entries(folder.path()), expected);
    }
}

TEST_F(DownloadKillTest, TheSweepTakesOnlyLeftOversOfTheDownloadsOwnForm)
{
    const QString folder = out_.path();
    const auto at = [&](const QString& name) { return out_.filePath(name); };
    const QStringList leftOvers{".a.w3x.verdane-AbC123", ".地图 一.w3x.verdane-xyz789",
                                ".new.w3x.verdane-000000"};
    // Names close to the form that users or other programs may well have.
    const QStringList userFiles{"a.w3x",
                                "a.w3x.backup",
                                "a.w3x.AbCdEf",
                                "a.w3x.verdane-AbC123",
                                ".a.w3x.verdane-AbC12",
                                ".a.w3x.verdane-AbC1234",
                                ".a.w3x.verdane-AbC12!",
                                ".verdane-AbC123",
                                ".a.w3x.Verdane-AbC123"};
    for (const QString& name : leftOvers + userFiles)
        ASSERT_TRUE(writeFile(at(name), "x")) << name.toStdString();
    // A link of the form pointing at a user's file, and a folder of the form.
    ASSERT_TRUE(
        QFile::link(at(QStringLiteral("a.w3x")), at(QStringLiteral(".l.w3x.verdane-Link00"))));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral(".d.w3x.verdane-Fold00")));
    // The file of a download that is still running: it holds the lock.
    const QString running = QStringLiteral(".b.w3x.verdane-Runs00");
    ASSERT_TRUE(writeFile(at(running), "partial"));
    const int held = ::open(QFile::encodeName(at(running)).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    ASSERT_EQ(download(QStringLiteral("/small.w3x"), at(QStringLiteral("new.w3x"))), 0);
    ::close(held);

    QStringList expected = userFiles;
    expected << ".l.w3x.verdane-Link00"
             << ".d.w3x.verdane-Fold00" << running << "new.w3x";
    expected.sort();
    QStringList remaining = entries(folder);
    remaining.sort();
    EXPECT_EQ(remaining, expected);
    EXPECT_EQ(readFile(at(QStringLiteral("new.w3x"))), QByteArray(70000, 'm'));
    // Once its download has ended, the next sweep takes it too.
    EXPECT_EQ(DownloadTempFile::SweepLeftovers(folder), 1);
    EXPECT_FALSE(QFileInfo::exists(at(running)));
}

TEST_F(DownloadKillTest, TheLongestNameReplacesAnOlderCopy)
{
    // 255 bytes: the temporary name beside it must be cut to stay a valid name.
    for (const QString& name : {QString(251, u'a') + QStringLiteral(".w3x"),
                                QString(83, u'图') + QStringLiteral("é.w3x")}) {
        SCOPED_TRACE(name.size());
        ASSERT_EQ(QFile::encodeName(name).size(), 255);
        const QString target = out_.filePath(name);
        ASSERT_TRUE(writeFile(target, kOlderCopy));
        ASSERT_EQ(download(QStringLiteral("/small.w3x"), target), 0);
        EXPECT_EQ(readFile(target), QByteArray(70000, 'm'));
        EXPECT_EQ(entries(out_.path()), QStringList{name});
        ASSERT_TRUE(QFile::remove(target));
    }
}

TEST_F(DownloadKillTest, DownloadsOnTwoWorkerThreadsIntoOneFolder)
{
    // Each sweeps the folder while the other writes there.
    int first = -1;
    int secondFailures = 0;
    std::thread one([&] {
        first = download(QStringLiteral("/fault/bytes/3000000/one.w3x"),
                         out_.filePath(QStringLiteral("one.w3x")));
    });
    std::thread two([&] {
        for (int i = 0; i < 5; ++i)
            secondFailures +=
                download(QStringLiteral("/small.w3x"), out_.filePath(QStringLiteral("two.w3x")));
    });
    one.join();
    two.join();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(secondFailures, 0);
    EXPECT_EQ(entries(out_.path()), (QStringList{"one.w3x", "two.w3x"}));
    EXPECT_EQ(QFileInfo(out_.filePath(QStringLiteral("one.w3x"))).size(), 3000000);
}

} // namespace
} // namespace verdane
