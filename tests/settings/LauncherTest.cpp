#include "settings/ProgramSettings.h"
#include "settings/SettingsNotices.h"
#include "settings/ui/StartTarget.h"

#include "common/ControlIds.h"
#include "common/Cp936.h"

#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/StoredSettings.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

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
        test::writeFile(files.filePath(relative), "MZ");
        return files.filePath(relative);
    }
    void press(int buttonId) { startTarget(&owner, buttonId); }

    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QTemporaryDir files;
    QWidget owner;
};

TEST_F(LauncherTest, FirstUseOfEachButtonTellsAsksStoresAndStartsItsOwnRow)
{
    // In the order of the buttons.
    const QString programs[] = {u"War3/War3.exe"_s, u"HF/GameClient.exe"_s, u"VS/VSClient.exe"_s,
                                u"QQ/AAClientOriginal.exe"_s, u"Zmr/ZmrClient.exe"_s};
    QStringList started;
    for (int n = 0; n < ControlId::LaunchButtonCount; ++n) {
        const QString path = gameFile(programs[n]);
        prompt.chooseNextFile(path);
        press(ControlId::FirstLaunchButton + n);
        press(ControlId::FirstLaunchButton + n); // now stored: starts at once
        EXPECT_EQ(prompt.texts(), QStringList{launchFailed});
        EXPECT_EQ(prompt.fileDialogs(), QStringList{programs[n].section(u'/', 1)});
        started << path << path;
        EXPECT_EQ(shell.programs(), started);
        prompt.clear();
    }
    for (const QString& file : programs) // each kept its own path
        EXPECT_EQ(storedPath(file.section(u'/', 0, 0)), files.filePath(file));
    press(ControlId::HomeButton); // not a launch button
    EXPECT_EQ(prompt.texts() + prompt.fileDialogs(), QStringList());
}

TEST_F(LauncherTest, OnlyAStoredPathHoldingTheExactExecutableNameStartsWithoutAsking)
{
    const std::pair<QString, bool> cases[] = {
        {QString(), false},
        {u"/home/玩家/War3.exe.bak"_s, true}, // anywhere in the text
        {u"/games/w3/war3.exe"_s, false},
        {u"/games/w3/Frozen.exe"_s, false},
        {QString(u'游').repeated(126) + u"/War3.exe"_s, false}, // too long to read back
    };
    QStringList started;
    for (const auto& [path, usable] : cases) {
        SCOPED_TRACE(path.toStdString());
        prompt.clear();
        if (cp936Length(path) >= 260) // refused by the store: put there by hand
            config.writeUserFile("[War3]\nClientPath=" + path.toUtf8() + '\n');
        else
            ASSERT_TRUE(test::storePath(u"War3"_s, path));
        press(ControlId::FirstLaunchButton); // the file dialog is cancelled
        if (usable)
            started.append(path);
        EXPECT_EQ(shell.programs(), started);
        EXPECT_EQ(prompt.fileDialogs().size(), usable ? 0 : 1);
    }
}

TEST_F(LauncherTest, ChosenFileStartsEvenWhenNotUsableNotStoredOrTooLongToReadBack)
{
    // Any file is taken, but one without the name is asked for again.
    const QString other = gameFile(u"Games/Frozen Throne.exe"_s);
    prompt.chooseNextFile(other);
    press(ControlId::FirstLaunchButton);
    EXPECT_EQ(storedPath(u"War3"_s), other);
    const QString longPath =
        gameFile(QString(u'游').repeated(65) + u'/' + QString(u'戏').repeated(65) + u"/War3.exe"_s);
    prompt.chooseNextFile(longPath);
    press(ControlId::FirstLaunchButton);
    // A user file that cannot be written (its place is taken by a folder).
    ASSERT_TRUE(QFile::remove(config.userFile()) && QDir().mkpath(config.userFile()));
    const QString war3 = gameFile(u"Games/War3/War3.exe"_s);
    prompt.chooseNextFile(war3);
    press(ControlId::FirstLaunchButton);
    EXPECT_EQ(shell.programs(), (QStringList{other, longPath, war3}));
    EXPECT_EQ(prompt.texts(),
              (QStringList{launchFailed, launchFailed, pathTooLongNotice(), launchFailed}));
}

// A repair of an unreadable settings file keeps every value that read, and the
// user hears where the old file went from the action that wrote the new one.
TEST_F(LauncherTest, StoringOverAnUnreadableFileKeepsWhatReadAndSaysWhereTheFileWent)
{
    config.writeUserFile("[Wine]\nCommand=/opt/wine/bin/wine\n[War3]\nClientPath=/g/war3.exe\n"
                         "[VS]\nClientPath=\xff\n");
    const QString war3 = gameFile(u"Games/War3/War3.exe"_s);
    prompt.chooseNextFile(war3);
    press(ControlId::FirstLaunchButton);
    ASSERT_EQ(prompt.texts().size(), 2);
    EXPECT_EQ(prompt.texts()[0], launchFailed);
    EXPECT_TRUE(
        prompt.texts()[1].startsWith(keptUnreadableNotice(config.userFile() + u".unreadable-"_s)));
    EXPECT_EQ(ProgramSettings().wineCommand() + storedPath(u"War3"_s),
              u"/opt/wine/bin/wine"_s + war3);
    EXPECT_EQ(shell.programs(), QStringList{war3});
}

} // namespace
} // namespace verdane
