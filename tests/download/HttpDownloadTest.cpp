#include "download/HttpDownload.h"

#include "support/ContentServerProcess.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <limits>
#include <optional>

namespace verdane {
namespace {

using test::ContentServerProcess;

const QByteArray kOlderCopy = "an older copy of the file";

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
    return bytes;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

struct Outcome {
    int result = 0;
    DownloadFailure failure = DownloadFailure::None;
    QString message;
    QList<int> percents;
};

class HttpDownloadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root_ = new QTemporaryDir;
        small_ = pattern(200000);
        writeFile(root_->filePath(QStringLiteral("small.bin")), small_);
        writeFile(root_->filePath(QStringLiteral("empty.bin")), {});
        writeFile(root_->filePath(QStringLiteral("地图 一.w3x")), "map");
        log_ = root_->filePath(QStringLiteral("requests.log"));
        server_ = new ContentServerProcess(root_->path(), log_);
    }
    static void TearDownTestSuite()
    {
        delete server_;
        delete root_;
    }
    void SetUp() override { ASSERT_TRUE(server_->started()); }

    static QString address(const QString& pathOrUrl)
    {
        return pathOrUrl.startsWith(u'/') ? server_->url(pathOrUrl) : pathOrUrl;
    }
    static Outcome run(const QString& pathOrUrl, const QString& localPath,
                       DownloadLimits limits = {})
    {
        Outcome outcome;
        HttpDownload download([&outcome](int percent) { outcome.percents.append(percent); },
                              limits);
        outcome.result = download.DownloadFile(address(pathOrUrl), localPath);
        outcome.failure = download.failure();
        outcome.message = download.failureMessage();
        return outcome;
    }
    // Every file in the download folder, hidden ones included.
    QStringList filesInFolder() const
    {
        return QDir(out_.path())
            .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    QString target() const { return out_.filePath(QStringLiteral("target.bin")); }

    static inline QTemporaryDir* root_ = nullptr;
    static inline ContentServerProcess* server_ = nullptr;
    static inline QString log_;
    static inline QByteArray small_;
    QTemporaryDir out_;
};

TEST_F(HttpDownloadTest, ReplacesTheTargetOnlyWithACompleteBody)
{
    const QString readError = QStringLiteral("读文件出错!");
    const struct {
        QString url;
        std::optional<QByteArray> stored; // nullopt: the download fails
        DownloadFailure failure;
        QString message;
        bool progress;
        int stallSeconds;
    } cases[] = {
        {"/small.bin", small_, DownloadFailure::None, {}, true, 30},
        {"/fault/nolength/small.bin", small_, DownloadFailure::None, {}, false, 30},
        {"/fault/chunked/small.bin", small_, DownloadFailure::None, {}, false, 30},
        {"/empty.bin", QByteArray(), DownloadFailure::None, {}, false, 30},
        {"/fault/empty", QByteArray(), DownloadFailure::None, {}, false, 30},
        {"/fault/redirect/2/small.bin", small_, DownloadFailure::None, {}, true, 30},
        {"/fault/status/404/x", std::nullopt, DownloadFailure::Status, {}, false, 30},
        {"/fault/status/500/x", std::nullopt, DownloadFailure::Status, {}, false, 30},
        {"/missing.bin", std::nullopt, DownloadFailure::Status, {}, false, 30},
        {"/fault/short/small.bin", std::nullopt, DownloadFailure::Read, readError, true, 30},
        {"/fault/stall/small.bin", std::nullopt, DownloadFailure::Read, readError, true, 2},
        {"/fault/hang", std::nullopt, DownloadFailure::Connect, {}, false, 2},
        {"/fault/redirect/6/small.bin", std::nullopt, DownloadFailure::Connect, {}, false, 30},
        {"/fault/redirect-to?file:///etc/hostname",
         std::nullopt,
         DownloadFailure::Connect,
         {},
         false,
         30},
        {"/fault/redirect-to?ftp://127.0.0.1/x",
         std::nullopt,
         DownloadFailure::Connect,
         {},
         false,
         30},
        {"http://127.0.0.1:1/small.bin", std::nullopt, DownloadFailure::Connect, {}, false, 30},
        {"file:///etc/hostname", std::nullopt, DownloadFailure::Address, {}, false, 30},
        {"ftp://127.0.0.1/small.bin", std::nullopt, DownloadFailure::Address, {}, false, 30},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.url.toStdString());
        writeFile(target(), kOlderCopy);
        DownloadLimits limits;
        limits.stallSeconds = row.stallSeconds;
        const Outcome outcome = run(row.url, target(), limits);

        EXPECT_EQ(outcome.result, row.stored ? 0 : -1);
        EXPECT_EQ(outcome.failure, row.failure);
        EXPECT_EQ(outcome.message, row.message);
        EXPECT_EQ(readFile(target()), row.stored.value_or(kOlderCopy));
        EXPECT_EQ(filesInFolder(), QStringList{"target.bin"});
        EXPECT_EQ(!outcome.percents.isEmpty(), row.progress);
        if (row.stored && row.progress) {
            EXPECT_EQ(outcome.percents.last(), 100);
        }
    }
}

TEST_F(HttpDownloadTest, AFailureWithoutAnOlderCopyLeavesNothing)
{
    for (const QString path : {"/fault/status/404/x", "/fault/short/small.bin"}) {
        EXPECT_EQ(run(path, target()).result, -1);
        EXPECT_TRUE(filesInFolder().isEmpty()) << path.toStdString();
    }
}

TEST_F(HttpDownloadTest, AMissingFolderFailsWithoutAMessage)
{
    const Outcome outcome = run("/small.bin", out_.filePath(QStringLiteral("no/such/x.bin")));
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.failure, DownloadFailure::CreateFile);
    EXPECT_TRUE(outcome.message.isEmpty());
    EXPECT_TRUE(QDir(out_.path()).isEmpty());
}

TEST_F(HttpDownloadTest, AFullDiskFailsAndKeepsTheOlderCopy)
{
    writeFile(target(), kOlderCopy);
    // The file size limit stands for a full disk: writes past it fail with EFBIG.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 64 * 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const Outcome outcome = run("/small.bin", target());
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.failure, DownloadFailure::Write);
    EXPECT_EQ(readFile(target()), kOlderCopy);
    EXPECT_EQ(filesInFolder(), QStringList{"target.bin"});
}

TEST_F(HttpDownloadTest, ProgressRisesToOneHundredOnALargeBody)
{
    constexpr qint64 size = 50000000;
    const Outcome outcome = run(QStringLiteral("/fault/bytes/%1/big.bin").arg(size), target());
    ASSERT_EQ(outcome.result, 0);
    ASSERT_FALSE(outcome.percents.isEmpty());
    for (qsizetype i = 1; i < outcome.percents.size(); ++i)
        ASSERT_GT(outcome.percents[i], outcome.percents[i - 1]);
    EXPECT_LE(outcome.percents.first(), 1);
    EXPECT_EQ(outcome.percents.last(), 100);
    QFile file(target());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.size(), size);
    for (const qint64 offset : {qint64(0), qint64(16383), qint64(16384), size - 1}) {
        ASSERT_TRUE(file.seek(offset));
        EXPECT_EQ(static_cast<unsigned char>(file.read(1).at(0)), offset % 251) << offset;
    }
}

TEST_F(HttpDownloadTest, SendsTheAgentAcceptAndNoCacheHeadersAndAnEncodedPath)
{
    ASSERT_EQ(run(QStringLiteral("/地图 一.w3x"), target()).result, 0);
    EXPECT_EQ(readFile(target()), "map");
    QStringList lines = QString::fromUtf8(readFile(log_)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    const QRegularExpression expected(QStringLiteral(
        "^GET /%E5%9C%B0%E5%9B%BE%20%E4%B8%80\\.w3x\tUser-Agent: Agent\\d+\tAccept: \\*/\\*\t"
        "Cache-Control: no-cache\tPragma: no-cache$"));
    EXPECT_TRUE(expected.match(lines.last()).hasMatch()) << lines.last().toStdString();
}

TEST(DownloadPercent, IsExactForAnyLength)
{
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    const struct {
        qint64 received;
        qint64 expected;
        int percent;
    } cases[] = {
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
    for (const auto& row : cases)
        EXPECT_EQ(DownloadPercent(row.received, row.expected), row.percent)
            << row.received << " / " << row.expected;
    EXPECT_EQ(ProgressBarPosition(42), 168);
    EXPECT_EQ(DownloadStatusText(42), QStringLiteral("下载状态：已接收数据42%"));
}

} // namespace
} // namespace verdane
