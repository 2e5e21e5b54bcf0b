#include "update/UpdateCheck.h"

#include "common/ProgramFolder.h"

#include "support/ContentServerProcess.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using Outcome = UpdateCheck::Outcome;
const QString Updater = programFolder() + QStringLiteral("NaloUpdate.exe");

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.started());
        qputenv("VERDANE_CONTENT_SERVER", server.host().toUtf8());
        config.writeSystemFile("[General]\nCurr_Version=1.0.0\n");
    }
    void TearDown() override { QFile::remove(Updater); }
    VersionDecision fetch(const QByteArray& served)
    {
        const QString version = root.filePath(QStringLiteral("zarn/plexa/ZarnMapVersion.txt"));
        QFile::remove(version);
        if (!served.isNull())
            test::writeFile(version, served);
        return UpdateCheck::fetch(UpdateCheck::LinkFetchLimit);
    }
    // The offer accepted: the text to show (or "started"), Update and UpdateType as
    // stored, the programs started.
    QString accept(const QByteArray& served, bool updater)
    {
        const VersionDecision found = fetch(served);
        QFile::remove(Updater);
        QFile::remove(config.userFile());
        if (updater)
            test::writeFile(Updater, "#!/bin/sh\n", true);
        const UpdateCheck::Started started = UpdateCheck::startUpdate(found);
        const QSettings stored(config.userFile(), QSettings::IniFormat);
        return QStringList{started.started ? QStringLiteral("started") : started.cause,
                           stored.value("Update").toString(), stored.value("UpdateType").toString(),
                           shell.programs().join(u'+')}
            .join(u'|');
    }

    QTemporaryDir root;
    test::ContentServerProcess server{root.path()};
    test::TempConfig config;
    test::FakeShell shell;
};

TEST_F(UpdateCheckTest, OnlyADifferentVersionIsNewAndTheCheckWritesNothing)
{
    const std::pair<QByteArray, Outcome> cases[] = {
        {"1.0.0|full", Outcome::UpToDate},
        {"1.0.1|full", Outcome::NewVersion},
        {{}, Outcome::NoVersion}, // no version file
    };
    for (const auto& [served, outcome] : cases)
        EXPECT_EQ(UpdateCheck::outcome(fetch(served)), outcome) << served.constData();
    EXPECT_FALSE(QFile::exists(config.userFile()));
}

// Accepting starts nothing, and the program runs on, without field two or the updater,
// or when the request cannot be recorded: an update type too long to read back, a
// settings folder that cannot be made (a file stands in its place).
TEST_F(UpdateCheckTest, WithoutFieldTwoUpdaterOrRecordAcceptingStartsNothing)
{
    const QString unrecorded = QStringLiteral("无法记录更新请求，请检查配置文件是否可写。");
    EXPECT_EQ(accept("2.0", true), QStringLiteral("|1||")); // only Update is written
    EXPECT_EQ(accept("2.0|full", false), QStringLiteral("找不到升级程序 NaloUpdate.exe！|||"));
    EXPECT_EQ(accept("2.0|" + QByteArray(300, 'x'), true), unrecorded + QStringLiteral("|1||"));
    QDir(config.userDir()).removeRecursively();
    test::writeFile(config.userDir() + QStringLiteral("/NaloSoft"));
    EXPECT_EQ(accept("2.0|full", true), unrecorded + QStringLiteral("|||"));
}

TEST_F(UpdateCheckTest, AcceptingStoresBothValuesThenStartsTheUpdater)
{
    // "全量更新" in code page 936, then a line break and a third field.
    EXPECT_EQ(accept("2.0|\xc8\xab\xc1\xbf\xb8\xfc\xd0\xc2\r\n|ignored", true),
              QStringLiteral("started|1|全量更新\r\n|%1").arg(Updater));
}

} // namespace
} // namespace verdane
