#include "support/ContentServerProcess.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(CommandLineTest, AnswersWithoutADisplayAndTouchesNothing)
{
    // The arguments, the exit status, the output: on stdout after 0, on stderr (one line) after 2.
    const std::tuple<QStringList, int, QByteArray> cases[] = {
        {{QStringLiteral("--version")}, 0, "Verdane " VERDANE_VERSION "\n"},
        {{QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("-v")}, 0, "Verdane"},
        {{QStringLiteral("-h")}, 0, "--version"},
        {{QStringLiteral("--frobnicate")}, 2, "'frobnicate'"},
        {{QStringLiteral("stray")}, 2, "'stray'"},
    };
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        environment.insert(QString::fromLatin1(name), home.path());
    for (const auto& [arguments, status, output] : cases) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(home.path());
        program.start(verdane::test::binaryDir() + QStringLiteral("/verdane"), arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitCode(), status) << arguments.join(u' ').toStdString();
        const QByteArray out = program.readAllStandardOutput();
        const QByteArray err = program.readAllStandardError();
        EXPECT_TRUE((status == 0 ? out : err).contains(output)) << (out + err).data();
        EXPECT_EQ((status == 0 ? err : out), QByteArray());
        EXPECT_EQ(err.count('\n'), status != 0 ? 1 : 0);
    }
    EXPECT_TRUE(QDir(home.path()).isEmpty()) << "no settings, log or cache written";
}

} // namespace
