#include "update/HttpGetText.h"

#include "support/ContentServerProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace verdane {
namespace {

using test::ContentServerProcess;

const QByteArray kVersionBytes = "1.0.0|\xc8\xab\xc1\xbf\r\n";

class HttpGetTextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root_ = new QTemporaryDir;
        QDir(root_->path()).mkpath(QStringLiteral("zarn/plexa"));
        QFile file(root_->filePath(QStringLiteral("zarn/plexa/ZarnMapVersion.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kVersionBytes);
        file.close();
        log_ = root_->filePath(QStringLiteral("requests.log"));
        server_ = new ContentServerProcess(root_->path(), log_);
    }
    static void TearDownTestSuite()
    {
        delete server_;
        delete root_;
    }
    void SetUp() override { ASSERT_TRUE(server_->started()); }

    static QByteArray requestLog()
    {
        QFile file(log_);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QString hostPath(const QString& path) { return server_->host() + path; }
    static quint16 port() { return static_cast<quint16>(server_->port()); }

    static inline QTemporaryDir* root_ = nullptr;
    static inline ContentServerProcess* server_ = nullptr;
    static inline QString log_;
};

TEST_F(HttpGetTextTest, ReturnsTheBodyBytesAsReceived)
{
    const QString path = QStringLiteral("/zarn/plexa/ZarnMapVersion.txt");
    // The port of the host part wins over the one passed; without one the passed port is used.
    EXPECT_EQ(HttpGetText(hostPath(path), 1), kVersionBytes);
    EXPECT_EQ(HttpGetText(QStringLiteral("http://") + hostPath(path), 1), kVersionBytes);
    EXPECT_EQ(HttpGetText(QStringLiteral("127.0.0.1") + path, port()), kVersionBytes);
    EXPECT_TRUE(
        requestLog().contains("GET /zarn/plexa/ZarnMapVersion.txt\tUser-Agent: My_Session\t"));
}

TEST_F(HttpGetTextTest, AnythingButStatus200GivesTheEmptyText)
{
    const QString addresses[] = {
        hostPath(QStringLiteral("/zarn/plexa/missing.txt")),
        hostPath(QStringLiteral("/fault/status/500/x")),
        hostPath(QStringLiteral("/fault/status/204/x")),
        hostPath(QStringLiteral("/fault/empty")),
        hostPath(QStringLiteral("/fault/short/zarn/plexa/ZarnMapVersion.txt")),
        // Not followed: only the first answer counts.
        hostPath(QStringLiteral("/fault/redirect/0/zarn/plexa/ZarnMapVersion.txt")),
        // Port 1 on the loopback: nothing listens there.
        QStringLiteral("127.0.0.1:1/zarn/plexa/ZarnMapVersion.txt"),
    };
    for (const QString& address : addresses)
        EXPECT_TRUE(HttpGetText(address, 80).isEmpty()) << address.toStdString();
}

TEST_F(HttpGetTextTest, RefusesOtherSchemesWithoutSendingAnything)
{
    const QByteArray before = requestLog();
    EXPECT_TRUE(
        HttpGetText(QStringLiteral("https://") + hostPath("/zarn/plexa/ZarnMapVersion.txt"), 1)
            .isEmpty());
    EXPECT_TRUE(HttpGetText(QString(), port()).isEmpty());
    EXPECT_EQ(requestLog(), before);
}

TEST_F(HttpGetTextTest, ASilentServerEndsWithinTheBound)
{
    QElapsedTimer timer;
    timer.start();
    const QByteArray text = HttpGetText(hostPath(QStringLiteral("/fault/hang")), 80);
    const qint64 elapsed = timer.elapsed();
    std::printf("HttpGetText against a server that never answers returned after %lld ms\n",
                static_cast<long long>(elapsed));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_LT(elapsed, 30000); // sanity only: a hang would run into the test's time-out
}

} // namespace
} // namespace verdane
