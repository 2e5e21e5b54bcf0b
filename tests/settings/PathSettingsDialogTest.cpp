#include "settings/ui/PathSettingsDialog.h"
#include "settings/SettingsNotices.h"

#include "common/ControlIds.h"
#include "support/FakePrompt.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/StoredSettings.h"
#include "support/TempConfig.h"
#include "widgets/SkinButton.h"
#include "widgets/SkinGroupItem.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;
using test::storedPath;

const QString applied = u"设置成功！"_s;
const QString switchRefused = u"请你先点击“应用”按钮来保存上个修改的地址！"_s;
const QString closeRefused = u"请你先点击“应用”按钮来保存地址，在关闭！"_s;

using namespace ControlId;
// The items of the first two launch targets, War3 and VS.
constexpr int War3Item = FirstTargetItem, VsItem = FirstTargetItem + 1;

class PathSettingsDialogTest : public ::testing::Test {
protected:
    QLineEdit* box(int id) const { return dialog.findChild<QLineEdit*>(controlName(id)); }
    void set(int boxId, const QString& text) const { box(boxId)->setText(text); }
    QString exePath() const { return box(ExecutablePath)->text(); }
    QString folderPath() const { return box(DownloadPath)->text(); }
    void clickItem(int id) const
    {
        QTest::mouseClick(dialog.findChild<SkinGroupItem*>(controlName(id)), Qt::LeftButton);
    }
    void press(int id) const { dialog.findChild<SkinButton*>(controlName(id))->click(); }

    test::TempConfig config;
    test::FakePrompt prompt;
    PathSettingsDialog dialog;
};

TEST_F(PathSettingsDialogTest, UnsavedPathHoldsTheSelectionUntilApplied)
{
    dialog.show();
    for (const int item : {VsItem, War3Item}) {
        clickItem(item);
        set(ExecutablePath, u"/apps/%1.exe"_s.arg(item));
        clickItem(item == War3Item ? VsItem : War3Item); // refused, and so is the selected one
        clickItem(item);
        QTest::keyClick(box(ExecutablePath), Qt::Key_Return); // Enter applies as the button does
        EXPECT_EQ(prompt.texts(), (QStringList{switchRefused, switchRefused, applied}));
        prompt.clear();
    }
    clickItem(VsItem);
    EXPECT_EQ(exePath() + u' ' + storedPath(u"War3"_s), u"/apps/1044.exe /apps/1043.exe"_s);
    EXPECT_EQ(folderPath(), u"/apps/Maps/NaloBox"_s) << "only the game path moves it";
}

TEST_F(PathSettingsDialogTest, ConfirmClosesOnlyWithoutUnsavedChanges)
{
    const struct {
        int folderItem;
        int boxId;
        QString typed;
        bool refused;
    } cases[] = {
        {MapsFolderItem, ExecutablePath, u"/typed/War3.exe"_s, true},
        {ToolsFolderItem, DownloadPath, u"/typed/tools"_s, true},
        {MapsFolderItem, DownloadPath, u"/typed/maps"_s, false},
        {ToolsFolderItem, DownloadPath, u"/data/tools"_s, false},
        {MapsFolderItem, ExecutablePath, QString(), true},
    };
    ASSERT_TRUE(test::storePath(u"War3"_s, u"/w3/War3.exe"_s) &&
                test::storePath(u"Tools"_s, u"/data/tools"_s));
    const QByteArray before = test::readFile(config.userFile());
    for (const auto& c : cases) {
        dialog.show(); // afresh, whatever the last opening left behind
        EXPECT_EQ(folderPath(), u"/w3/Maps/NaloBox"_s);
        clickItem(c.folderItem);
        set(c.boxId, c.typed);
        prompt.clear();
        press(Confirm);
        EXPECT_EQ(prompt.texts(), c.refused ? QStringList{closeRefused} : QStringList());
        if (c.refused) // Escape, as "取消", closes and keeps nothing
            QTest::keyClick(box(ExecutablePath), Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), c.refused ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(test::readFile(config.userFile()), before);
    }
}

TEST_F(PathSettingsDialogTest, ToolsFolderIsStoredAndTheMapsFolderNever)
{
    dialog.show();
    clickItem(ToolsFolderItem);
    // The folder of the file the user would have saved; "/" for one in the top folder.
    QStringList folders;
    for (const QString& chosen : {u"/NaloZarn"_s, u"/data/tools/NaloZarn"_s, QString()}) {
        prompt.chooseNextFile(chosen);
        press(BrowseFolder);
        folders.append(folderPath());
    }
    EXPECT_EQ(folders, (QStringList{u"/"_s, u"/data/tools"_s, u"/data/tools"_s}));
    EXPECT_EQ(storedPath(u"Tools"_s), QString());
    press(Ok);
    clickItem(MapsFolderItem);
    set(DownloadPath, u"/typed/maps"_s);
    press(Ok);
    EXPECT_EQ(storedPath(u"Tools"_s), u"/data/tools"_s);
    EXPECT_FALSE(test::readFile(config.userFile()).contains("/typed/maps"));
}

TEST_F(PathSettingsDialogTest, ReadOnlyConfigFolderShowsTheFailureAndKeepsTheChangeUnsaved)
{
    ASSERT_TRUE(test::storePath(u"War3"_s, u"/old/War3.exe"_s) &&
                test::storePath(u"Tools"_s, u"/old/tools"_s));
    dialog.show();
    set(ExecutablePath, u"/new/War3.exe"_s);
    {
        test::ReadOnlyFolder locked(QFileInfo(config.userFile()).path());
        if (!locked.effective())
            GTEST_SKIP() << "this system lets files be created in a read-only folder";
        press(Ok);
        EXPECT_EQ(folderPath(), u"/old/Maps/NaloBox"_s);
        clickItem(ToolsFolderItem);
        set(DownloadPath, u"/new/tools"_s);
        press(Ok);
        clickItem(VsItem);
        press(Confirm);
        const QString failed = u"设置保存失败！请检查配置文件是否可写。"_s;
        EXPECT_EQ(prompt.texts(), (QStringList{failed, failed, switchRefused, closeRefused}));
        EXPECT_EQ(storedPath(u"War3"_s) + storedPath(u"Tools"_s), u"/old/War3.exe/old/tools"_s);
    }
    prompt.clear();
    press(Ok);
    EXPECT_EQ(prompt.texts(), QStringList{applied});
    EXPECT_EQ(storedPath(u"War3"_s) + storedPath(u"Tools"_s), u"/new/War3.exe/new/tools"_s);
}

// "浏览" takes a program only where it is, under the selected target's exact name.
TEST_F(PathSettingsDialogTest, BrowsingTakesOnlyAFileThereUnderTheTargetsName)
{
    const QString war3 = config.root() + u"/g/War3.exe"_s, lower = config.root() + u"/l/war3.exe"_s;
    ASSERT_TRUE(test::writeFile(war3) && test::writeFile(lower));
    dialog.show();
    QStringList boxes;
    for (const QString& chosen : {war3, QString(), config.root() + u"/War3.exe"_s, war3, lower}) {
        prompt.chooseNextFile(chosen);
        press(BrowseExecutable);
        boxes << exePath();
    }
    EXPECT_EQ(boxes, (QStringList{war3, war3, {}, war3, {}}));
    EXPECT_EQ(prompt.texts(), QStringList(2, u"没有找到程序默认运行程序，请核对盘符路径！"_s));
}

TEST_F(PathSettingsDialogTest, APathTooLongToReadBackIsRefusedAndTheStoredOneKept)
{
    const QString typed = u"/g/"_s + QString(300, u'e') + u"/War3.exe"_s;
    for (const auto& [item, boxId] :
         {std::pair{War3Item, ExecutablePath}, std::pair{ToolsFolderItem, DownloadPath}}) {
        dialog.hide();
        dialog.show();
        clickItem(item);
        set(boxId, typed);
        press(Ok);
        EXPECT_EQ(box(boxId)->text(), typed);
        EXPECT_FALSE(QFile::exists(config.userFile()));
    }
    EXPECT_EQ(prompt.texts(), QStringList(2, pathTooLongNotice()));
}

TEST_F(PathSettingsDialogTest, ApplyOverAnUnreadableFileSaysWhereTheOldFileWasKept)
{
    config.writeUserFile(QByteArray(64, '\0') + "[War3]\n\xff\xfe");
    dialog.show();
    set(ExecutablePath, u"/g/War3.exe"_s);
    press(Ok);
    ASSERT_EQ(prompt.texts().size(), 1);
    EXPECT_TRUE(prompt.texts()[0].startsWith(
        applied + u'\n' + keptUnreadableNotice(config.userFile() + u".unreadable-"_s)));
    EXPECT_EQ(storedPath(u"War3"_s), u"/g/War3.exe"_s);
}

} // namespace
} // namespace verdane
