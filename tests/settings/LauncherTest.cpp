#include "settings/ui/Launcher.h"

#include "common/Cp936.h"
#include "common/Prompt.h"
#include "settings/SettingsTestSupport.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <tuple>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;
using test::storedPath;

const QString launchFailed = u"启动平台失败！\r\n请检查设置的平台启动程序路径是否正确。"_s;

class LauncherTest : public ::testing::Test {
protected:
    // A real file the user can pick in the file dialog.
    QString gameFile(const QString& relative) const
    {
        return test::makeFile(files.path() + u'/' + relative);
    }
    void press(int buttonId) { Launcher().StartTarget(&owner, buttonId); }
    // The user was told, asked for the file and cancelled.
    void expectAskedOnce()
    {
        EXPECT_EQ(prompt.texts(), QStringList{launchFailed});
        EXPECT_EQ(prompt.fileDialogs().size(), 1);
        prompt.clear();
    }

    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QTemporaryDir files;
    QWidget owner;
};

TEST_F(LauncherTest, FirstUseOfEachButtonTellsAsksStoresAndStartsItsOwnRow)
{
    // Button, subkey, executable name, label of the file filter.
    const std::tuple<int, QString, QString, QString> rows[] = {
        {3000, u"War3"_s, u"War3.exe"_s, u"冰封王座"_s},
        {3001, u"HF"_s, u"GameClient.exe"_s, u"浩方对战平台"_s},
        {3002, u"VS"_s, u"VSClient.exe"_s, u"VS对战平台"_s},
        {3003, u"QQ"_s, u"AAClientOriginal.exe"_s, u"AA对战平台"_s},
        {3004, u"Zmr"_s, u"ZmrClient.exe"_s, u"掌门人对战平台"_s},
    };
    QStringList started;
    for (const auto& [buttonId, subkey, executable, label] : rows) {
        SCOPED_TRACE(buttonId);
        const QString path = gameFile(subkey + u'/' + executable);
        prompt.chooseNextFile(path);
        press(buttonId);
        ASSERT_EQ(prompt.messages().size(), 1);
        const test::FakePrompt::Shown shown = prompt.messages().constFirst();
        EXPECT_EQ(shown.text, launchFailed);
        EXPECT_EQ(shown.caption, u"Nalo友情提示"_s);
        EXPECT_EQ(shown.buttons, PromptButtons::Ok);
        EXPECT_EQ(shown.owner, &owner);
        ASSERT_EQ(prompt.fileDialogs().size(), 1);
        const FileDialogRequest dialog = prompt.fileDialogs().constFirst();
        EXPECT_EQ(dialog.title, u"请手动设置路径 "_s + executable);
        EXPECT_EQ(dialog.initialName, executable);
        EXPECT_EQ(dialog.defaultSuffix, u"exe"_s);
        EXPECT_EQ(dialog.filter, label + u" ("_s + executable + u")|"_s + executable +
                                     u"|All Files (*.*)|*.*||"_s);
        EXPECT_TRUE(dialog.mustExist);
        started.append(path);
        EXPECT_EQ(shell.programs(), started);
        prompt.clear();
        press(buttonId); // now stored: starts at once
        EXPECT_EQ(prompt.count() + prompt.fileDialogs().size(), 0);
        started.append(path);
        EXPECT_EQ(shell.programs(), started);
    }
    for (const auto& [buttonId, subkey, executable, label] : rows) // each kept its own path
        EXPECT_EQ(storedPath(subkey), files.path() + u'/' + subkey + u'/' + executable);
}

TEST_F(LauncherTest, OnlyAStoredPathHoldingTheExactExecutableNameStartsWithoutAsking)
{
    // Button, subkey, stored path (empty: nothing stored), usable.
    const std::tuple<int, QString, QString, bool> cases[] = {
        {3004, u"Zmr"_s, QString(), false},
        {3003, u"QQ"_s, u"/opt/aa/AAClientOriginal.exe"_s, true},
        {3003, u"QQ"_s, u"/opt/aa/AAClient.exe"_s, false},
        {3000, u"War3"_s, u"/home/玩家/War3.exe.bak"_s, true}, // anywhere in the text
        {3000, u"War3"_s, u"/games/w3/war3.exe"_s, false},
        {3000, u"War3"_s, u"/games/w3/WAR3.EXE"_s, false},
        {3000, u"War3"_s, u"/games/w3/Frozen.exe"_s, false},
        {3000, u"War3"_s, QString(u'游').repeated(126) + u"/War3.exe"_s, false}, // too long
    };
    QStringList started;
    for (const auto& [buttonId, subkey, path, usable] : cases) {
        SCOPED_TRACE(path.toStdString());
        if (cp936Length(path) >= 260) // refused by the store: put there by hand
            config.writeUserFile("[War3]\nClientPath=" + path.toUtf8() + '\n');
        else
            ASSERT_TRUE(path.isEmpty() || test::storePath(subkey, path));
        press(buttonId); // the file dialog is cancelled
        if (usable) {
            EXPECT_EQ(prompt.count() + prompt.fileDialogs().size(), 0);
            started.append(path);
        } else {
            expectAskedOnce();
            EXPECT_EQ(storedPath(subkey), cp936Length(path) < 260 ? path : QString());
        }
        EXPECT_EQ(shell.programs(), started);
        EXPECT_EQ(QFile::exists(config.userFile()), !path.isEmpty()); // nothing made when cancelled
    }
}

TEST_F(LauncherTest, ChosenFileStartsEvenWhenNotUsableNotStoredOrTooLongToReadBack)
{
    // Any file is taken, but one without the name is asked for again.
    const QString other = gameFile(u"Games/Frozen Throne.exe"_s);
    prompt.chooseNextFile(other);
    press(3000);
    EXPECT_EQ(storedPath(u"War3"_s), other);
    prompt.clear();
    press(3000);
    expectAskedOnce();

    const QString longPath =
        gameFile(QString(u'游').repeated(65) + u'/' + QString(u'戏').repeated(65) + u"/War3.exe"_s);
    prompt.chooseNextFile(longPath);
    press(3000);

    // An unusable machine-wide path, and a user file that cannot be written
    // (its place is taken by a folder): reading back would give the old path.
    config.writeSystemFile("[War3]\nClientPath=/old/war3.exe\n");
    ASSERT_TRUE(QFile::remove(config.userFile()) && QDir().mkpath(config.userFile()));
    const QString war3 = gameFile(u"Games/War3/War3.exe"_s);
    prompt.chooseNextFile(war3);
    press(3000);
    EXPECT_EQ(storedPath(u"War3"_s), u"/old/war3.exe"_s);
    EXPECT_EQ(shell.programs(), (QStringList{other, longPath, war3}));
}

TEST_F(LauncherTest, OtherButtonsDoNothing)
{
    for (const int id : {0, 1043, 2999, 3005, 3010, -3000})
        press(id);
    EXPECT_EQ(prompt.count() + prompt.fileDialogs().size(), 0);
    EXPECT_TRUE(shell.programs().isEmpty());
}

} // namespace
} // namespace verdane
