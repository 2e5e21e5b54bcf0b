#include "download/DownloadTempFile.h"
#include "download/HttpDownload.h"

#include "support/ContentServerProcess.h"
#include "support/Files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

namespace verdane {
namespace {

using enum DownloadFailure;
using test::readFile;
using test::writeFile;

constexpr int kSize = 200000;
const QByteArray kOlderCopy = "an older copy of the map";

QByteArray content(int seed)
{
    QByteArray bytes(kSize, Qt::Uninitialized);
    for (int i = 0; i < kSize; ++i)
        bytes[i] = static_cast<char>((i * seed + i / 977) & 0xff);
    return bytes;
}

// The folder's entries, a partial and its record by their kind.
QStringList shape(const QString& folder)
{
    QStringList kinds;
    for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot)) {
        const bool temporary = DownloadTempFile::IsTempName(QFile::encodeName(name));
        kinds << (!temporary                                 ? name
                  : name.endsWith(QStringLiteral(".resume")) ? QStringLiteral("record")
                                                             : QStringLiteral("partial"));
    }
    kinds.sort();
    return kinds;
}

class ResumeDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeFile(root.filePath(QStringLiteral("f.bin")), first));
        ASSERT_TRUE(server.started());
        ASSERT_TRUE(writeFile(target, kOlderCopy));
    }

    int run(const QString& path, const QByteArray& sha256 = {}, int stallSeconds = 30,
            const QString& local = {})
    {
        percents.clear();
        DownloadLimits limits;
        limits.stallSeconds = stallSeconds;
        HttpDownload download([this](int percent) { percents.append(percent); }, limits);
        const int result =
            download.DownloadFile(server.url(path), local.isEmpty() ? target : local, sha256);
        failure = download.failure();
        message = download.failureMessage();
        resumedFrom = download.resumedFrom();
        return result;
    }
    // The Range of each request since the last call ("" without Range).
    QStringList ranges()
    {
        QStringList lines = QString::fromUtf8(readFile(log)).split(u'\n', Qt::SkipEmptyParts);
        const QStringList fresh = lines.mid(seen);
        seen = lines.size();
        QStringList result;
        static const QRegularExpression range(QStringLiteral("\tRange: ([^\t]*)"));
        for (const QString& line : fresh)
            result << range.match(line).captured(1);
        return result;
    }

    const QByteArray first = content(7);
    const QByteArray second = content(11);
    QTemporaryDir root;
    QTemporaryDir out;
    QString log = root.filePath(QStringLiteral("requests.log"));
    test::ContentServerProcess server{root.path(), log};
    QString target = out.filePath(QStringLiteral("f.bin"));
    qsizetype seen = 0;
    QList<int> percents;
    DownloadFailure failure = None;
    QString message;
    qint64 resumedFrom = 0;
};

// A first download breaks off half-way (over an older copy); the second one,
// of the same link, meets the server's answer in the row.
TEST_F(ResumeDownloadTest, TheNextDownloadContinuesOnlyWhatFits)
{
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(first, QCryptographicHash::Sha256).toHex());
    // A continued partial also proves that If-Range carried the validator.
    const QString half = QStringLiteral("bytes=%1-").arg(kSize / 2);
    const struct {
        const char* path;
        bool changed = false; // the server's file changes between the downloads
        QString sha256 = {};
        int result = 0;
        DownloadFailure failure = None;
        QStringList requests = {}; // the Range of each request of the second download
        bool continued = true;
    } rows[] = {
        {"resume/range", false, {}, 0, None, {half}},
        {"resume/stall", false, {}, 0, None, {half}},
        {"resume/lastmod", false, {}, 0, None, {half}},
        {"resume/whole", false, {}, 0, None, {half}, false},
        {"resume/range", true, {}, 0, None, {half}, false},
        {"resume/anyrange", true, {}, 0, None, {half, ""}, false},
        {"resume/416", false, {}, 0, None, {half, ""}, false},
        {"resume/badrange", false, {}, 0, None, {half, ""}, false},
        {"resume/range", false, sha, 0, None, {half}},
        {"resume/range", false, QString(64, u'0'), -1, Checksum, {half}},
        {"short", false, {}, -1, Read, {""}, false},
    };
    for (int index = 0; index < int(std::size(rows)); ++index) {
        const auto& row = rows[index];
        SCOPED_TRACE(index);
        // Each row has a link of its own, which the server cuts the first time.
        const QString path =
            QStringLiteral("/fault/%1/f.bin?%2").arg(QString::fromLatin1(row.path)).arg(index);
        const bool validator = row.path != std::string_view("short");
        const QByteArray digest = QByteArray::fromHex(row.sha256.toLatin1());
        ASSERT_TRUE(writeFile(target, kOlderCopy));
        ASSERT_TRUE(writeFile(root.filePath(QStringLiteral("f.bin")), first));
        ranges();

        EXPECT_EQ(run(path, digest, 1), -1);
        EXPECT_EQ(failure, Read);
        EXPECT_EQ(message, QStringLiteral("读文件出错!"));
        EXPECT_EQ(shape(out.path()),
                  validator ? QStringList({"f.bin", "partial", "record"}) : QStringList{"f.bin"});
        EXPECT_EQ(readFile(target), kOlderCopy);
        ranges();

        if (row.changed) {
            ASSERT_TRUE(writeFile(root.filePath(QStringLiteral("f.bin")), second));
        }
        EXPECT_EQ(run(path, digest), row.result);
        EXPECT_EQ(failure, row.failure);
        EXPECT_EQ(message, row.failure == Read ? QStringLiteral("读文件出错!") : QString());
        EXPECT_EQ(resumedFrom, row.continued ? kSize / 2 : 0);
        EXPECT_EQ(ranges(), row.requests);
        if (row.continued && row.result == 0) {
            ASSERT_FALSE(percents.isEmpty());
            EXPECT_EQ(percents.first(), 50) << "the bar starts where the partial ends";
        }
        EXPECT_EQ(shape(out.path()), QStringList{"f.bin"});
        EXPECT_EQ(readFile(target), row.result != 0 ? kOlderCopy : row.changed ? second : first);
    }
}

TEST_F(ResumeDownloadTest, TheSweepKeepsHeldAndRecentPartialsOnly)
{
    // Four broken-off downloads of other files leave partials with records.
    for (const char* name : {"held.bin", "old.bin", "recent.bin", "bare.bin"}) {
        ASSERT_TRUE(writeFile(root.filePath(name), first));
        run(QStringLiteral("/fault/resume/range/") + name, {}, 30, out.filePath(name));
    }
    const QStringList partials =
        QDir(out.path()).entryList({"*.verdane-??????"}, QDir::Hidden | QDir::Files, QDir::Name);
    ASSERT_EQ(partials.size(), 4);
    const auto at = [&](int index) { return QFile::encodeName(out.filePath(partials[index])); };
    // Named as the files' names sort: bare (its record goes), held and old (8 days), recent.
    ASSERT_TRUE(QFile::remove(at(0) + ".resume"));
    const int held = ::open(at(1).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const timespec old[2] = {{::time(nullptr) - 8 * 24 * 3600, 0},
                             {::time(nullptr) - 8 * 24 * 3600, 0}};
    for (const int index : {1, 2})
        ASSERT_EQ(::utimensat(AT_FDCWD, at(index).constData(), old, 0), 0);

    EXPECT_EQ(DownloadTempFile::SweepLeftovers(out.path()), 2);
    ::close(held);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({partials[1], partials[1] + ".resume", partials[3],
                           partials[3] + ".resume", "f.bin"}));
}

TEST_F(ResumeDownloadTest, AKilledDownloadIsContinuedByTheNext)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(VERDANE_DOWNLOAD_PROCESS),
                  {server.url(QStringLiteral("/fault/resume/stall/f.bin")), target});
    ASSERT_TRUE(process.waitForStarted(10000));
    QByteArray output;
    while (!output.contains("progress 50") && process.waitForReadyRead(20000))
        output += process.readAllStandardOutput();
    ASSERT_TRUE(output.contains("progress 50")) << output.toStdString();
    process.kill(); // SIGKILL: no clean-up code of the download runs
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(shape(out.path()), QStringList({"f.bin", "partial", "record"}));
    EXPECT_EQ(readFile(target), kOlderCopy);

    ranges();
    EXPECT_EQ(run(QStringLiteral("/fault/resume/stall/f.bin")), 0);
    EXPECT_EQ(resumedFrom, kSize / 2);
    EXPECT_EQ(ranges().size(), 1);
    EXPECT_EQ(shape(out.path()), QStringList{"f.bin"});
    EXPECT_EQ(readFile(target), first);
}

} // namespace
} // namespace verdane
