#include "support/CatalogueFile.h"
#include "support/ContentServerProcess.h"
#include "support/Files.h"
#include "support/TempConfig.h"
#include "support/Wait.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace verdane;

namespace {

// Processes whose parent is the given one (the web engine's helpers).
int childrenOf(qint64 pid)
{
    int children = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray line = test::readFile(QStringLiteral("/proc/%1/stat").arg(entry));
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        children += fields.size() > 1 && fields[1].toLongLong() == pid;
    }
    return children;
}

TEST(ExecutableTest, StartsOffscreenFetchesTheVersionAndEndsCleanlyWhenAskedToClose)
{
    test::TempConfig config;
    config.writeSystemFile("[General]\nCurr_Version=1.0.0\n");
    QTemporaryDir site;
    test::writeFile(site.filePath(QStringLiteral("zarn/plexa/ZarnMapVersion.txt")), "1.0.0|full");
    const QString log = site.filePath(QStringLiteral("requests.log"));
    test::ContentServerProcess server(site.path(), log);
    ASSERT_TRUE(server.started());
    QTemporaryDir workDir;
    ASSERT_TRUE(test::writeCatalogue(workDir.filePath(QStringLiteral("ZarnREZ.dat")),
                                     {{0, QStringLiteral("2026-01-01"), QStringLiteral("地图")}}));
    QProcess program;
    program.setWorkingDirectory(workDir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VERDANE_CONTENT_SERVER"), server.host());
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(test::binaryDir() + QStringLiteral("/verdane"), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const bool fetched = test::waitUntil(
        [&] {
            return test::readFile(log).contains("ZarnMapVersion.txt") ||
                   program.state() != QProcess::Running;
        },
        60000);
    QThread::msleep(500);
    ASSERT_TRUE(fetched && program.state() == QProcess::Running) << program.readAll().toStdString();

    const qint64 pid = program.processId();
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    QThread::msleep(500);
    EXPECT_EQ(childrenOf(pid), 0) << "nothing is left behind";
}

} // namespace
