#include "support/CatalogueFile.h"
#include "support/ContentServerProcess.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace verdane;

namespace {

// Processes whose parent is the given one (the web engine's helpers).
QStringList childrenOf(qint64 pid)
{
    QStringList children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == pid)
            children.append(entry);
    }
    return children;
}

TEST(ExecutableTest, StartsOffscreenFetchesTheVersionAndEndsCleanlyWhenAskedToClose)
{
    test::TempConfig config;
    QTemporaryDir site;
    QDir(site.path()).mkpath(QStringLiteral("zarn/plexa"));
    QFile version(site.filePath(QStringLiteral("zarn/plexa/ZarnMapVersion.txt")));
    ASSERT_TRUE(version.open(QIODevice::WriteOnly));
    version.write("1.0.0|full");
    version.close();
    config.writeSystemFile("[General]\nCurr_Version=1.0.0\n");
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

    QElapsedTimer timer;
    timer.start();
    bool fetched = false;
    while (!fetched && timer.elapsed() < 60000 && program.state() == QProcess::Running) {
        QThread::msleep(100);
        QFile requests(log);
        fetched =
            requests.open(QIODevice::ReadOnly) && requests.readAll().contains("ZarnMapVersion.txt");
    }
    ASSERT_TRUE(fetched) << program.readAll().toStdString();
    QThread::msleep(500);
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAll().toStdString();

    const qint64 pid = program.processId();
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    QThread::msleep(500);
    EXPECT_TRUE(childrenOf(pid).isEmpty()) << "nothing is left behind";
}

} // namespace
