#include "settings/ui/Launcher.h"

#include "common/Prompt.h"
#include "settings/PrintQString.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

const QString launchFailed = u"启动平台失败！\r\n请检查设置的平台启动程序路径是否正确。"_s;

class LauncherTest : public ::testing::Test {
protected:
    QString stored(const QString& subkey) const
    {
        return SettingsStore().ReadSetting(SettingsRoot::LocalMachine, programSubkey(subkey),
                                           clientPathValue());
    }
    void store(const QString& subkey, const QString& path) const
    {
        ASSERT_TRUE(SettingsStore().WriteSetting(SettingsRoot::LocalMachine, programSubkey(subkey),
                                                 clientPathValue(), path));
    }
    // A real file the user can pick in the file dialog.
    QString gameFile(const QString& relative) const
    {
        const QString path = files.path() + u'/' + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("MZ");
        return path;
    }
    void press(int buttonId) { Launcher().StartTarget(&owner, buttonId); }

    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QTemporaryDir files;
    QWidget owner;
};

TEST_F(LauncherTest, FirstUseTellsAsksStoresAndStartsThenStartsAtOnce)
{
    const QString war3 = gameFile(u"Games/War3/War3.exe"_s);
    prompt.chooseNextFile(war3);
    press(3000);

    ASSERT_EQ(prompt.messages().size(), 1);
    const test::FakePrompt::Shown shown = prompt.messages().constFirst();
    EXPECT_EQ(shown.text, launchFailed);
    EXPECT_EQ(shown.caption, u"Nalo友情提示"_s);
    EXPECT_EQ(shown.buttons, PromptButtons::Ok);
    EXPECT_EQ(shown.owner, &owner);
    ASSERT_EQ(prompt.fileDialogs().size(), 1);
    const FileDialogRequest dialog = prompt.fileDialogs().constFirst();
    EXPECT_EQ(dialog.title, u"请手动设置路径 War3.exe"_s);
    EXPECT_EQ(dialog.initialName, u"War3.exe"_s);
    EXPECT_EQ(dialog.defaultSuffix, u"exe"_s);
    EXPECT_EQ(dialog.filter, u"冰封王座 (War3.exe)|War3.exe|All Files (*.*)|*.*||"_s);
    EXPECT_TRUE(dialog.mustExist);
    EXPECT_EQ(stored(u"War3"_s), war3);
    EXPECT_EQ(shell.programs(), QStringList{war3});

    prompt.clear();
    press(3000);
    EXPECT_EQ(prompt.count(), 0);
    EXPECT_TRUE(prompt.fileDialogs().isEmpty());
    EXPECT_EQ(shell.programs(), QStringList({war3, war3}));
}

TEST_F(LauncherTest, EachButtonUsesItsOwnRow)
{
    struct Row {
        int buttonId;
        QString subkey;
        QString executable;
        QString filter;
    };
    const Row rows[] = {
        {3000, u"War3"_s, u"War3.exe"_s, u"冰封王座 (War3.exe)|War3.exe|All Files (*.*)|*.*||"_s},
        {3001, u"HF"_s, u"GameClient.exe"_s,
         u"浩方对战平台 (GameClient.exe)|GameClient.exe|All Files (*.*)|*.*||"_s},
        {3002, u"VS"_s, u"VSClient.exe"_s,
         u"VS对战平台 (VSClient.exe)|VSClient.exe|All Files (*.*)|*.*||"_s},
        {3003, u"QQ"_s, u"AAClientOriginal.exe"_s,
         u"AA对战平台 (AAClientOriginal.exe)|AAClientOriginal.exe|All Files (*.*)|*.*||"_s},
        {3004, u"Zmr"_s, u"ZmrClient.exe"_s,
         u"掌门人对战平台 (ZmrClient.exe)|ZmrClient.exe|All Files (*.*)|*.*||"_s},
    };
    QStringList started;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.buttonId);
        const QString path = gameFile(row.subkey + u'/' + row.executable);
        prompt.clear();
        prompt.chooseNextFile(path);
        press(row.buttonId);
        EXPECT_EQ(prompt.texts(), QStringList{launchFailed});
        ASSERT_EQ(prompt.fileDialogs().size(), 1);
        EXPECT_EQ(prompt.fileDialogs().constFirst().title, u"请手动设置路径 "_s + row.executable);
        EXPECT_EQ(prompt.fileDialogs().constFirst().initialName, row.executable);
        EXPECT_EQ(prompt.fileDialogs().constFirst().filter, row.filter);
        EXPECT_EQ(stored(row.subkey), path);
        started.append(path);
        EXPECT_EQ(shell.programs(), started);
    }
    // Every row kept its own path.
    for (const Row& row : rows)
        EXPECT_EQ(stored(row.subkey), files.path() + u'/' + row.subkey + u'/' + row.executable);
}

TEST_F(LauncherTest, UsableStoredPathStartsWithoutAsking)
{
    store(u"QQ"_s, u"/opt/aa/AAClientOriginal.exe"_s);
    press(3003);
    EXPECT_EQ(prompt.count(), 0);
    EXPECT_TRUE(prompt.fileDialogs().isEmpty());
    EXPECT_EQ(shell.programs(), QStringList{u"/opt/aa/AAClientOriginal.exe"_s});
}

TEST_F(LauncherTest, PathWithoutTheExactExecutableNameIsNotUsable)
{
    const QString unusable[] = {u"/games/w3/war3.exe"_s, u"/games/w3/WAR3.EXE"_s,
                                u"/games/w3/Frozen.exe"_s,
                                QString(u'游').repeated(126) + u"/War3.exe"_s};
    for (const QString& path : unusable) {
        SCOPED_TRACE(path.toStdString());
        store(u"War3"_s, path);
        prompt.clear();
        press(3000); // cancelled
        EXPECT_EQ(prompt.texts(), QStringList{launchFailed});
        EXPECT_EQ(prompt.fileDialogs().size(), 1);
        EXPECT_TRUE(shell.programs().isEmpty());
    }
}

TEST_F(LauncherTest, CancelStoresAndStartsNothing)
{
    press(3004);
    EXPECT_EQ(prompt.texts(), QStringList{launchFailed});
    EXPECT_EQ(prompt.fileDialogs().size(), 1);
    EXPECT_EQ(stored(u"Zmr"_s), QString());
    EXPECT_FALSE(QFile::exists(config.userFile()));
    EXPECT_TRUE(shell.programs().isEmpty());

    store(u"War3"_s, u"/games/w3/war3.exe"_s);
    press(3000);
    EXPECT_EQ(stored(u"War3"_s), u"/games/w3/war3.exe"_s);
    EXPECT_TRUE(shell.programs().isEmpty());
}

TEST_F(LauncherTest, AnyChosenFileIsStoredAndStartedButAskedForAgain)
{
    const QString other = gameFile(u"Games/Frozen Throne.exe"_s);
    prompt.chooseNextFile(other);
    press(3000);
    EXPECT_EQ(stored(u"War3"_s), other);
    EXPECT_EQ(shell.programs(), QStringList{other});

    prompt.clear();
    press(3000); // cancelled this time
    EXPECT_EQ(prompt.texts(), QStringList{launchFailed});
    EXPECT_EQ(prompt.fileDialogs().size(), 1);
    EXPECT_EQ(shell.programs(), QStringList{other});
}

TEST_F(LauncherTest, ChosenFileStartsEvenWhenItCannotBeStored)
{
    // An unusable machine-wide path, and a user file that cannot be written
    // (its place is taken by a folder): reading back would give the old path.
    config.writeSystemFile("[War3]\nClientPath=/old/war3.exe\n");
    ASSERT_TRUE(QDir().mkpath(config.userFile()));
    ASSERT_EQ(stored(u"War3"_s), u"/old/war3.exe"_s);
    const QString war3 = gameFile(u"Games/War3/War3.exe"_s);
    prompt.chooseNextFile(war3);
    press(3000);
    EXPECT_EQ(prompt.texts(), QStringList{launchFailed});
    EXPECT_EQ(stored(u"War3"_s), u"/old/war3.exe"_s);
    EXPECT_EQ(shell.programs(), QStringList{war3});
}

TEST_F(LauncherTest, ChosenPathTooLongToReadBackStillStarts)
{
    const QString war3 =
        gameFile(QString(u'游').repeated(65) + u'/' + QString(u'戏').repeated(65) + u"/War3.exe"_s);
    prompt.chooseNextFile(war3);
    press(3000);
    EXPECT_EQ(shell.programs(), QStringList{war3});
}

TEST_F(LauncherTest, OtherButtonsDoNothing)
{
    for (const int id : {2999, 3005, 3010, 1043}) {
        press(id);
        EXPECT_EQ(prompt.count(), 0) << id;
    }
    EXPECT_TRUE(prompt.fileDialogs().isEmpty());
    EXPECT_TRUE(shell.programs().isEmpty());
}

} // namespace
} // namespace verdane
