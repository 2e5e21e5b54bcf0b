#include "download/HttpDownload.h"

#include "support/ContentServerProcess.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <limits>

namespace verdane {
namespace {

using test::readFile;
using test::writeFile;

const QByteArray kOlderCopy = "an older copy of the file";

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
    return bytes;
}

// The real content server on a temporary folder; each download goes to target.
class HttpDownloadTest : public ::testing::Test {
protected:
    HttpDownloadTest()
    {
        writeFile(root.filePath(QStringLiteral("small.bin")), small);
        writeFile(root.filePath(QStringLiteral("empty.bin")), {});
        writeFile(root.filePath(QStringLiteral("地图 一.w3x")), "map");
    }
    void SetUp() override { ASSERT_TRUE(server.started()); }

    // A path on the server or a whole address; fills percents, failure and message.
    int run(const QString& pathOrUrl, DownloadLimits limits = {}, const QString& local = {})
    {
        percents.clear();
        HttpDownload download([this](int percent) { percents.append(percent); }, limits);
        const int result =
            download.DownloadFile(pathOrUrl.startsWith(u'/') ? server.url(pathOrUrl) : pathOrUrl,
                                  local.isEmpty() ? target : local);
        failure = download.failure();
        message = download.failureMessage();
        return result;
    }
    // Every file in the download folder, hidden ones included.
    QStringList files() const
    {
        return QDir(out.path())
            .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    const QByteArray small = pattern(200000);
    QTemporaryDir root;
    QTemporaryDir out;
    QString log = root.filePath(QStringLiteral("requests.log"));
    test::ContentServerProcess server{root.path(), log};
    QString target = out.filePath(QStringLiteral("target.bin"));
    QList<int> percents;
    DownloadFailure failure = DownloadFailure::None;
    QString message;
};

// Each case runs over an older copy of the file, and once over none where it fails.
TEST_F(HttpDownloadTest, ReplacesTheTargetOnlyWithACompleteBody)
{
    using enum DownloadFailure;
    const QByteArray none;
    const struct {
        const char* url;
        const QByteArray* stored; // nullptr: the download fails
        DownloadFailure failure;
        bool progress;
        int stallSeconds = 30;
    } cases[] = {
        {"/small.bin", &small, None, true},
        {"/fault/nolength/small.bin", &small, None, false},
        {"/fault/chunked/small.bin", &small, None, false},
        {"/empty.bin", &none, None, false},
        {"/fault/empty", &none, None, false},
        {"/fault/redirect/2/small.bin", &small, None, true},
        {"/fault/status/404/x", nullptr, Status, false},
        {"/fault/status/500/x", nullptr, Status, false},
        {"/missing.bin", nullptr, Status, false},
        {"/fault/short/small.bin", nullptr, Read, true},
        {"/fault/stall/small.bin", nullptr, Read, true, 2},
        {"/fault/hang", nullptr, Connect, false, 2},
        {"/fault/redirect/6/small.bin", nullptr, Connect, false},
        {"/fault/redirect-to?file:///etc/hostname", nullptr, Connect, false},
        {"/fault/redirect-to?ftp://127.0.0.1/x", nullptr, Connect, false},
        {"http://127.0.0.1:1/small.bin", nullptr, Connect, false},
        {"file:///etc/hostname", nullptr, Address, false},
        {"ftp://127.0.0.1/small.bin", nullptr, Address, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        writeFile(target, kOlderCopy);
        DownloadLimits limits;
        limits.stallSeconds = c.stallSeconds;
        EXPECT_EQ(run(QString::fromUtf8(c.url), limits), c.stored ? 0 : -1);
        EXPECT_EQ(failure, c.failure);
        EXPECT_EQ(message, c.failure == Read ? QStringLiteral("读文件出错!") : QString());
        EXPECT_EQ(readFile(target), c.stored ? *c.stored : kOlderCopy);
        EXPECT_EQ(files(), QStringList{"target.bin"});
        EXPECT_EQ(!percents.isEmpty(), c.progress);
        if (c.stored && c.progress) {
            EXPECT_EQ(percents.last(), 100);
        }
        if (!c.stored && c.stallSeconds == 30) {
            QFile::remove(target);
            EXPECT_EQ(run(QString::fromUtf8(c.url), limits), -1);
            EXPECT_EQ(files(), QStringList{}) << "no older copy";
        }
    }
}

TEST_F(HttpDownloadTest, AMissingFolderFailsWithoutAMessage)
{
    EXPECT_EQ(run("/small.bin", {}, out.filePath(QStringLiteral("no/such/x.bin"))), -1);
    EXPECT_EQ(failure, DownloadFailure::CreateFile);
    EXPECT_TRUE(message.isEmpty());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(HttpDownloadTest, AFullDiskFailsAndKeepsTheOlderCopy)
{
    writeFile(target, kOlderCopy);
    // The file size limit stands for a full disk: writes past it fail with EFBIG.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 64 * 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int result = run("/small.bin");
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(failure, DownloadFailure::Write);
    EXPECT_EQ(readFile(target), kOlderCopy);
    EXPECT_EQ(files(), QStringList{"target.bin"});
}

TEST_F(HttpDownloadTest, ProgressRisesToOneHundredOnALargeBody)
{
    constexpr qint64 size = 50000000;
    ASSERT_EQ(run(QStringLiteral("/fault/bytes/%1/big.bin").arg(size)), 0);
    ASSERT_FALSE(percents.isEmpty());
    for (qsizetype i = 1; i < percents.size(); ++i)
        ASSERT_GT(percents[i], percents[i - 1]);
    EXPECT_LE(percents.first(), 1);
    EXPECT_EQ(percents.last(), 100);
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), size);
    for (const qint64 offset : {qint64(0), qint64(16383), qint64(16384), size - 1}) {
        ASSERT_TRUE(file.seek(offset));
        EXPECT_EQ(static_cast<unsigned char>(file.read(1).at(0)), offset % 251) << offset;
    }
}

TEST_F(HttpDownloadTest, SendsTheAgentAcceptAndNoCacheHeadersAndAnEncodedPath)
{
    ASSERT_EQ(run(QStringLiteral("/地图 一.w3x")), 0);
    EXPECT_EQ(readFile(target), "map");
    const QString last = QString::fromUtf8(readFile(log)).split(u'\n', Qt::SkipEmptyParts).last();
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^GET /%E5%9C%B0%E5%9B%BE%20%E4%B8%80\\.w3x\tUser-Agent: Agent\\d+\t"
                           "Accept: \\*/\\*\tCache-Control: no-cache\tPragma: no-cache$"))
            .match(last)
            .hasMatch())
        << last.toStdString();
}

TEST(DownloadPercent, IsExactForAnyLength)
{
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    const qint64 cases[][3] = {
        {0, 100, 0},
        {1, 100, 1},
        {99, 100, 99},
        {100, 100, 100},
        {16384, 50000000, 0},
        {49999999, 50000000, 99},
        {4000000000, 4294967295, 93},
        {qint64(1) << 62, most, 50},
        {most - 1, most, 99},
        {most, most, 100},
        {5, 0, 0},
    };
    for (const auto& [received, expected, percent] : cases)
        EXPECT_EQ(DownloadPercent(received, expected), percent) << received << " / " << expected;
    EXPECT_EQ(ProgressBarPosition(42), 168);
    EXPECT_EQ(DownloadStatusText(42), QStringLiteral("下载状态：已接收数据42%"));
}

} // namespace
} // namespace verdane
