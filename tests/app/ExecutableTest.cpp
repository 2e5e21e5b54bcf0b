#include "support/CatalogueFile.h"
#include "support/ContentServerProcess.h"
#include "support/Files.h"
#include "support/TempConfig.h"
#include "support/Wait.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace verdane;

namespace {

// The processes of the session that leader started, but the leader (the web engine's helpers).
QList<qint64> sessionOf(qint64 leader)
{
    QList<qint64> members;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray line = test::readFile(QStringLiteral("/proc/%1/stat").arg(entry));
        // After the command name: state ppid pgrp session.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 3 && fields[0] != "Z" && fields[3].toLongLong() == leader &&
            entry.toLongLong() != leader)
            members.append(entry.toLongLong());
    }
    return members;
}

TEST(ExecutableTest, StartsOffscreenFetchesTheVersionAndEndsWithItsWholeSession)
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
    environment.insert(QStringLiteral("HOME"), config.root()); // its cache and log
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.setChildProcessModifier([] { ::setsid(); });
    program.start(test::binaryDir() + QStringLiteral("/verdane"), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const qint64 pid = program.processId();
    // Up: the version fetched, the web engine's helpers running and the page panel asked for.
    const bool up = test::waitUntil(
        [&] {
            const QByteArray requests = test::readFile(log);
            return program.state() != QProcess::Running ||
                   (requests.contains("ZarnMapVersion.txt") && requests.contains("plexa.shtml") &&
                    !sessionOf(pid).isEmpty());
        },
        60000);
    ASSERT_TRUE(up && program.state() == QProcess::Running) << program.readAll().toStdString();

    ::kill(static_cast<pid_t>(pid), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(test::waitUntil([&] { return sessionOf(pid).isEmpty(); }))
        << "nothing is left behind";
}

} // namespace
