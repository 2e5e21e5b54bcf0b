#include "download/DownloadTempFile.h"
#include "download/HttpDownload.h"

#include "support/ContentServerProcess.h"
#include "support/Files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <utility>

namespace verdane {
namespace {

using enum DownloadFailure;
using test::readFile;
using test::writeFile;

constexpr int Size = 200000;
const QByteArray OlderCopy = "an older copy of the map";

QByteArray content(int seed)
{
    QByteArray bytes(Size, Qt::Uninitialized);
    for (int i = 0; i < Size; ++i)
        bytes[i] = static_cast<char>((i * seed + i / 977) & 0xff);
    return bytes;
}

class ResumeDownloadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.started()); }

    DownloadFailure run(const QString& path, const QByteArray& sha256 = {}, int stallSeconds = 30,
                        const QString& local = {})
    {
        percents.clear();
        HttpDownload download([this](int percent) { percents.append(percent); },
                              DownloadLimits{.stallSeconds = stallSeconds});
        download.downloadFile(server.url(path), local.isEmpty() ? target : local, sha256);
        resumedFrom = download.resumedFrom();
        return download.failure();
    }
    // f.bin, and a partial and its record while they last
    qsizetype files() const
    {
        return QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size();
    }
    // The Range of each request since the last call ("" without Range).
    QStringList ranges()
    {
        const QStringList lines = QString::fromUtf8(readFile(log)).split(u'\n', Qt::SkipEmptyParts);
        static const QRegularExpression range(QStringLiteral("\tRange: ([^\t]*)"));
        QStringList result;
        for (const QString& line : lines.mid(std::exchange(seen, lines.size())))
            result << range.match(line).captured(1);
        return result;
    }

    const QByteArray first = content(7);
    QTemporaryDir root;
    QTemporaryDir out;
    QString log = root.filePath(QStringLiteral("requests.log"));
    test::ContentServerProcess server{root.path(), log};
    QString target = out.filePath(QStringLiteral("f.bin"));
    qsizetype seen = 0;
    QList<int> percents;
    qint64 resumedFrom = 0;
};

// A first download breaks off half-way (over an older copy); the second one,
// of the same link, meets the server's answer in the row.
TEST_F(ResumeDownloadTest, TheNextDownloadContinuesOnlyWhatFits)
{
    const QByteArray second = content(11);
    const QByteArray sha = QCryptographicHash::hash(first, QCryptographicHash::Sha256);
    // A continued partial also proves that If-Range carried the validator.
    const QString half = QStringLiteral("bytes=%1-").arg(Size / 2);
    const struct {
        const char* path;
        bool changed; // the server's file changes between the downloads
        QByteArray sha256;
        DownloadFailure failure;
        QStringList requests; // the Range of each request of the second download
        bool continued;
    } rows[] = {
        {"resume/range", false, {}, None, {half}, true},
        {"resume/stall", false, {}, None, {half}, true},
        {"resume/lastmod", false, {}, None, {half}, true},
        {"resume/whole", false, {}, None, {half}, false},
        {"resume/range", true, {}, None, {half}, false},
        {"resume/anyrange", true, {}, None, {half, ""}, false},
        {"resume/416", false, {}, None, {half, ""}, false},
        {"resume/badrange", false, {}, None, {half, ""}, false},
        {"resume/range", false, sha, None, {half}, true},
        {"resume/range", false, QByteArray(32, '\0'), Checksum, {half}, true},
        {"short", false, {}, Read, {""}, false},
        // The last row: its partial stays.
        {"resume/shortrange", false, {}, Read, {half}, true},
    };
    for (int index = 0; index < int(std::size(rows)); ++index) {
        const auto& row = rows[index];
        SCOPED_TRACE(index);
        // Each row has a link of its own, which the server cuts the first time.
        const QString path = QStringLiteral("/fault/%1/f.bin?%2").arg(row.path).arg(index);
        ASSERT_TRUE(writeFile(target, OlderCopy));
        ASSERT_TRUE(writeFile(root.filePath(QStringLiteral("f.bin")), first));
        EXPECT_EQ(run(path, row.sha256, 1), Read);
        EXPECT_EQ(files(), row.path == std::string_view("short") ? 1 : 3);
        EXPECT_EQ(readFile(target), OlderCopy);
        ranges();

        ASSERT_TRUE(!row.changed || writeFile(root.filePath(QStringLiteral("f.bin")), second));
        EXPECT_EQ(run(path, row.sha256), row.failure);
        EXPECT_EQ(resumedFrom, row.continued ? Size / 2 : 0);
        EXPECT_EQ(ranges(), row.requests);
        EXPECT_EQ(percents.value(0) == 50, row.continued)
            << "the bar starts where the partial ends";
        // What a short 206 added stays in the partial for the next try.
        EXPECT_EQ(files(), row.failure == Read && row.continued ? 3 : 1);
        EXPECT_EQ(readFile(target), row.failure != None ? OlderCopy : row.changed ? second : first);
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
    const timespec old = {::time(nullptr) - 8 * 24 * 3600, 0};
    const timespec times[2] = {old, old};
    for (const int index : {1, 2})
        ASSERT_EQ(::utimensat(AT_FDCWD, at(index).constData(), times, 0), 0);

    EXPECT_EQ(DownloadTempFile::sweepLeftovers(out.path()), 2);
    ::close(held);
    EXPECT_EQ(
        QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
        QStringList({partials[1], partials[1] + ".resume", partials[3], partials[3] + ".resume"}));
}

} // namespace
} // namespace verdane
