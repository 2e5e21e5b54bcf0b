#include "download/HttpDownload.h"

#include "support/ContentServerProcess.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

namespace verdane {
namespace {

using test::readFile;
using test::writeFile;

const QByteArray OlderCopy = "an older copy of the file";

// The real content server on a temporary folder; each download goes to target.
class HttpDownloadTest : public ::testing::Test {
protected:
    HttpDownloadTest()
    {
        for (int i = 0; i < small.size(); ++i)
            small[i] = static_cast<char>(i * 7 + i / 256);
        writeFile(root.filePath(QStringLiteral("small.bin")), small);
        writeFile(root.filePath(QStringLiteral("地图 一.w3x")), "map");
    }
    void SetUp() override { ASSERT_TRUE(server.started()); }

    // A path on the server or a whole address: the result, the failure and the files of the folder.
    QString run(const QString& pathOrUrl, DownloadLimits limits = {}, const QString& local = {})
    {
        percents.clear();
        HttpDownload download([this](int percent) { percents.append(percent); }, limits);
        const int result =
            download.downloadFile(pathOrUrl.startsWith(u'/') ? server.url(pathOrUrl) : pathOrUrl,
                                  local.isEmpty() ? target : local);
        const QStringList files = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
        return QStringLiteral("%1 %2 %3 %4")
            .arg(result)
            .arg(static_cast<int>(download.failure()))
            .arg(download.failureMessage(), files.join(u','));
    }

    QByteArray small = QByteArray(200000, Qt::Uninitialized);
    QTemporaryDir root;
    QTemporaryDir out;
    QString log = root.filePath(QStringLiteral("requests.log"));
    test::ContentServerProcess server{root.path(), log};
    QString target = out.filePath(QStringLiteral("target.bin"));
    QList<int> percents;
};

// Each case runs over an older copy of the file, and once over none where it fails quickly.
TEST_F(HttpDownloadTest, ReplacesTheTargetOnlyWithACompleteBody)
{
    using enum DownloadFailure;
    const struct {
        const char* url;
        DownloadFailure failure; // None: the file is stored
        int stallSeconds = 30;
        bool cancelled = false;
    } cases[] = {
        {"/small.bin", None},
        {"/fault/chunked/small.bin", None},
        {"/fault/redirect/2/small.bin", None},
        {"/fault/empty", None},
        {"/fault/status/404/x", Status},
        {"/fault/status/300/x", Status},
        {"/fault/short/small.bin", Read},
        {"/fault/stall/small.bin", Read, 2},
        {"/fault/hang", Connect, 2},
        {"/small.bin", Connect, 30, true},
        {"/fault/redirect/6/small.bin", Connect},
        {"/fault/redirect-to?file:///etc/hostname", Connect},
        {"file:///etc/hostname", Address},
    };
    for (const auto& c : cases) {
        const std::atomic<bool> cancel{c.cancelled};
        DownloadLimits limits;
        limits.stallSeconds = c.stallSeconds;
        limits.cancel = &cancel;
        const QString failed = QStringLiteral("-1 %1 %2 ")
                                   .arg(int(c.failure))
                                   .arg(c.failure == Read ? "读文件出错!" : "");
        writeFile(target, OlderCopy);
        EXPECT_EQ(run(QString::fromUtf8(c.url), limits),
                  c.failure == None ? "0 0  target.bin" : failed + "target.bin")
            << c.url;
        const QByteArray expected = QByteArray(c.url).contains("small") ? small : QByteArray();
        EXPECT_EQ(readFile(target), c.failure == None ? expected : OlderCopy) << c.url;
        if (c.failure != None && c.stallSeconds == 30) {
            QFile::remove(target);
            EXPECT_EQ(run(QString::fromUtf8(c.url), limits), failed) << c.url;
        }
    }
}

TEST_F(HttpDownloadTest, AMissingFolderOrAFullDiskFailsAndKeepsTheOlderCopy)
{
    EXPECT_EQ(run("/small.bin", {}, out.filePath(QStringLiteral("no/such/x.bin"))),
              QStringLiteral("-1 %1  ").arg(int(DownloadFailure::CreateFile)));
    writeFile(target, OlderCopy);
    // The file size limit stands for a full disk: writes past it fail with EFBIG.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 64 * 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const QString result = run("/small.bin");
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, QStringLiteral("-1 %1  target.bin").arg(int(DownloadFailure::Write)));
    EXPECT_EQ(readFile(target), OlderCopy);
}

TEST_F(HttpDownloadTest, SendsAnEncodedPathAndReportsRisingProgress)
{
    EXPECT_EQ(run(QStringLiteral("/地图 一.w3x")), "0 0  target.bin");
    EXPECT_TRUE(
        readFile(log).contains("GET /%E5%9C%B0%E5%9B%BE%20%E4%B8%80.w3x\tUser-Agent: Agent"));
    EXPECT_EQ(run(QStringLiteral("/fault/bytes/5000000/big.bin")), "0 0  target.bin");
    for (qsizetype i = 1; i < percents.size(); ++i)
        EXPECT_GT(percents[i], percents[i - 1]);
    EXPECT_TRUE(!percents.isEmpty() && percents.first() <= 1 && percents.last() == 100);
}

} // namespace
} // namespace verdane
