#include "update/UpdateCheck.h"

#include "common/ProgramFolder.h"

#include "support/ContentServerProcess.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace verdane {
namespace {

const QString Offer = QStringLiteral("已经有新的版本了，现在需要更新？");
const QString Updater = programFolder() + QStringLiteral("NaloUpdate.exe");

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.started());
        qputenv("VERDANE_CONTENT_SERVER", server.host().toUtf8());
        config.writeSystemFile("[General]\nCurr_Version=1.0.0\n");
        window.show();
    }
    void TearDown() override { QFile::remove(Updater); }
    // The check's result, the texts shown, Update and UpdateType as stored, the programs started.
    QString check(const QByteArray& served, bool updater = false)
    {
        const QString version = root.filePath(QStringLiteral("zarn/plexa/ZarnMapVersion.txt"));
        QFile::remove(version);
        if (!served.isNull())
            test::writeFile(version, served);
        QFile::remove(Updater);
        QFile::remove(config.userFile());
        if (updater)
            test::writeFile(Updater, "#!/bin/sh\n", true);
        prompt.clear();
        const int result = UpdateCheck([&] { window.close(); }).checkForUpdate(&window);
        QCoreApplication::processEvents();
        const QSettings stored(config.userFile(), QSettings::IniFormat);
        return QStringList{QString::number(result), prompt.texts().join(u'+'),
                           stored.value("Update").toString(), stored.value("UpdateType").toString(),
                           shell.programs().join(u'+')}
            .join(u'|');
    }

    QTemporaryDir root;
    test::ContentServerProcess server{root.path()};
    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QWidget window;
};

TEST_F(UpdateCheckTest, OffersOnlyADifferentVersionAndWritesNothingUntilAccepted)
{
    prompt.setDefaultAnswer(false);
    EXPECT_EQ(check("1.0.0|full", true), QStringLiteral("%1||||").arg(UpdateCheck::UpToDate));
    EXPECT_EQ(check("1.0.1|full", true),
              QStringLiteral("%1|%2|||").arg(UpdateCheck::Offered).arg(Offer));
    EXPECT_EQ(check({}, true),
              QStringLiteral("%1||||").arg(UpdateCheck::NoVersion)); // no version file
    // From the link, only "up to date" says so: a failed fetch is not "up to date".
    for (const QByteArray& served : {QByteArray("1.0.0"), QByteArray()}) {
        check(served);
        UpdateCheck().onCheckUpdateLink(&window);
        EXPECT_EQ(prompt.texts(), served.isNull()
                                      ? QStringList()
                                      : QStringList{"当前客户端版本是最新的，不需要更新！"});
    }
    EXPECT_TRUE(window.isVisible());
}

// Accepting starts nothing and keeps the program running without field two or the
// updater, or when the request cannot be recorded: an update type too long to read
// back, a settings folder that cannot be made (a file stands in its place).
TEST_F(UpdateCheckTest, WithoutFieldTwoUpdaterOrRecordAcceptingStartsNothingAndTheProgramRuns)
{
    const QString offered = QStringLiteral("%1|%2").arg(UpdateCheck::Offered).arg(Offer);
    const QString unrecorded =
        offered + QStringLiteral("+无法记录更新请求，请检查配置文件是否可写。|");
    EXPECT_EQ(check("2.0", true), offered + QStringLiteral("|1||")); // only Update is written
    EXPECT_EQ(check("2.0|full", false),
              offered + QStringLiteral("+找不到升级程序 NaloUpdate.exe！|||"));
    EXPECT_EQ(check("2.0|" + QByteArray(300, 'x'), true), unrecorded + QStringLiteral("1||"));
    QDir(config.userDir()).removeRecursively();
    test::writeFile(config.userDir() + QStringLiteral("/NaloSoft"));
    EXPECT_EQ(check("2.0|full", true), unrecorded + QStringLiteral("||"));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(UpdateCheckTest, AcceptingStoresBothValuesThenStartsTheUpdaterAndClosesTheWindow)
{
    // "全量更新" in code page 936, then a line break and a third field.
    EXPECT_EQ(
        check("2.0|\xc8\xab\xc1\xbf\xb8\xfc\xd0\xc2\r\n|ignored", true),
        QStringLiteral("%1|%2|1|全量更新\r\n|%3").arg(UpdateCheck::Offered).arg(Offer, Updater));
    EXPECT_TRUE(test::waitUntil([&] { return !window.isVisible(); }));
}

} // namespace
} // namespace verdane
