#include "update/HttpGetText.h"

#include "support/ContentServerProcess.h"
#include "support/Files.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

const QByteArray VersionBytes = "1.0.0|\xc8\xab\xc1\xbf\r\n";
const QString Path = QStringLiteral("/zarn/plexa/ZarnMapVersion.txt");

class HttpGetTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::writeFile(root.filePath(Path.mid(1)), VersionBytes);
        ASSERT_TRUE(server.started());
    }
    QString hostPath(const QString& path) const { return server.host() + path; }

    QTemporaryDir root;
    QString log = root.filePath(QStringLiteral("requests.log"));
    test::ContentServerProcess server{root.path(), log};
};

TEST_F(HttpGetTextTest, ReturnsTheBodyBytesOfAStatus200AndNothingElse)
{
    // The port of the host part wins over the one passed; without one the passed port is used.
    EXPECT_EQ(httpGetText(QStringLiteral("http://") + hostPath(Path), 1), VersionBytes);
    EXPECT_EQ(httpGetText(QStringLiteral("127.0.0.1") + Path, quint16(server.port())),
              VersionBytes);
    EXPECT_TRUE(test::readFile(log).contains(
        "GET /zarn/plexa/ZarnMapVersion.txt\tUser-Agent: My_Session\t"));
    for (const QString& path :
         {QStringLiteral("/missing.txt"), QStringLiteral("/fault/status/204/x"),
          QStringLiteral("/fault/short") + Path,
          QStringLiteral("/fault/redirect/0") + Path}) // not followed
        EXPECT_TRUE(httpGetText(hostPath(path), 80).isEmpty()) << path.toStdString();
    EXPECT_TRUE(httpGetText(QStringLiteral("127.0.0.1:1") + Path, 80).isEmpty());
}

TEST_F(HttpGetTextTest, RefusesOtherSchemesWithoutSendingAnything)
{
    const QByteArray before = test::readFile(log);
    EXPECT_TRUE(httpGetText(QStringLiteral("https://") + hostPath(Path), 1).isEmpty());
    EXPECT_TRUE(httpGetText(QString(), quint16(server.port())).isEmpty());
    EXPECT_EQ(test::readFile(log), before);
}

// A silent server ends the fetch at the caller's limit, or after 5 s without data;
// the margin is for a loaded machine, smaller than the next bound up.
TEST_F(HttpGetTextTest, ASilentServerEndsAtTheLimitOrTheStall)
{
    for (const auto& [limit, bound] : {std::pair{1500, 4000}, std::pair{10000, 8500}}) {
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(httpGetText(hostPath(QStringLiteral("/fault/hang")), 80,
                                std::chrono::milliseconds(limit))
                        .isEmpty());
        EXPECT_LT(timer.elapsed(), bound) << limit;
    }
}

} // namespace
} // namespace verdane
