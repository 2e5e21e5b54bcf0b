#include "settings/ui/PathSetting.h"

#include "common/Prompt.h"
#include "search/ui/CSearchPlat.h"
#include "settings/SettingsTestSupport.h"
#include "support/FakePrompt.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"
#include "ui/skin/CSkinButton.h"
#include "ui/skin/CSkinGroupStatic.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

const QString applied = u"设置成功！"_s;
const QString switchRefused = u"请你先点击“应用”按钮来保存上个修改的地址！"_s;
const QString closeRefused = u"请你先点击“应用”按钮来保存地址，在关闭！"_s;
const QString wrongProgram = u"没有找到程序默认运行程序，请核对盘符路径！"_s;

// Control ids: the target items, the maps and tools items, the buttons and the two boxes.
enum : int { War3Item = 1043, VsItem, MapsItem = 1048, ToolsItem, Apply = 1, Cancel = 2 };
enum : int { Confirm = 1039, Search = 1050, BrowseExe = 1052, BrowseFolder = 1053 };

// The targets in table order: item id, subkey, executable name.
struct Row {
    int item;
    QString subkey;
    QString executable;
};
const Row rows[] = {
    {1043, u"War3"_s, u"War3.exe"_s},     {1044, u"VS"_s, u"VSClient.exe"_s},
    {1045, u"HF"_s, u"GameClient.exe"_s}, {1046, u"QQ"_s, u"AAClientOriginal.exe"_s},
    {1047, u"Zmr"_s, u"ZmrClient.exe"_s},
};

class PathSettingTest : public ::testing::Test {
protected:
    PathSettingTest() { dialog.SetSearchRoots({files.path() + u'/'}); }

    static void store(const QString& subkey, const QString& path)
    {
        ASSERT_TRUE(test::storePath(subkey, path));
    }
    QByteArray configFile() const { return test::fileContent(config.userFile()); }
    // A real file below the temporary folder.
    QString makeFile(const QString& relative) const
    {
        return test::makeFile(files.path() + u'/' + relative, {});
    }
    template <typename T> T* child(int id) const
    {
        T* found = dialog.findChild<T*>(QString::number(id));
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    QString exePath() const { return child<QLineEdit>(1056)->text(); }
    QString folderPath() const { return child<QLineEdit>(1057)->text(); }
    void typeExePath(const QString& text) const { child<QLineEdit>(1056)->setText(text); }
    void typeFolderPath(const QString& text) const { child<QLineEdit>(1057)->setText(text); }
    void clickItem(int id) const { QTest::mouseClick(child<CSkinGroupStatic>(id), Qt::LeftButton); }
    void press(int id) const { child<CSkinButton>(id)->click(); }
    // The selected target items and the selected folder items.
    QList<int> selected() const
    {
        QList<int> ids;
        for (int id = War3Item; id <= ToolsItem; ++id) {
            if (child<CSkinGroupStatic>(id)->selected)
                ids.append(id);
        }
        return ids;
    }

    test::TempConfig config;
    test::FakePrompt prompt;
    QTemporaryDir files;
    PathSetting dialog;
};

TEST_F(PathSettingTest, FreshMachineStartsEmptyWithGameAndMapsSelected)
{
    // Run as the main window runs it; "确定" with nothing changed ends it.
    bool checked = false;
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(exePath(), QString());
        EXPECT_EQ(folderPath(), QString());
        EXPECT_EQ(selected(), (QList<int>{War3Item, MapsItem}));
        EXPECT_FALSE(child<CSkinButton>(BrowseFolder)->isEnabled());
        checked = true;
        press(Confirm);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(checked);
    EXPECT_EQ(dialog.windowTitle(), u"对战平台及游戏设置"_s);
    EXPECT_EQ(prompt.count(), 0);
    EXPECT_FALSE(QFile::exists(config.userFile()));
    const QString texts[] = {u"War3冰封王座"_s, u"VS对战平台"_s,     u"浩方对战平台"_s,
                             u"AA对战平台"_s,   u"掌门人对战平台"_s, u"地图下载地址"_s,
                             u"工具下载地址"_s};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(child<CSkinGroupStatic>(War3Item + i)->text(), texts[i]);
}

TEST_F(PathSettingTest, UnsavedPathHoldsTheSelectionUntilAppliedOrClearedBack)
{
    dialog.show();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        clickItem(row.item);
        EXPECT_EQ(exePath(), QString());
        const QString path = u"/apps/"_s + row.subkey + u'/' + row.executable;
        typeExePath(path);
        prompt.clear();
        // Another item refuses, and so does the selected one.
        clickItem(row.item == War3Item ? VsItem : War3Item);
        clickItem(row.item);
        EXPECT_EQ(selected(), (QList<int>{row.item, MapsItem}));
        EXPECT_EQ(exePath(), path);
        if (row.item % 2 == 0) // Enter in the box applies as the button does
            QTest::keyClick(child<QLineEdit>(1056), Qt::Key_Return);
        else
            press(Apply);
        EXPECT_EQ(prompt.texts(), (QStringList{switchRefused, switchRefused, applied}));
        EXPECT_TRUE(dialog.isVisible());
    }
    const test::FakePrompt::Shown shown = prompt.messages().constFirst();
    EXPECT_EQ(shown.caption, u"Nalo友情提示"_s);
    EXPECT_EQ(shown.buttons, PromptButtons::Ok);
    EXPECT_EQ(shown.owner, &dialog);

    // Applied: each target switches freely and shows its own stored path.
    prompt.clear();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        const QString path = u"/apps/"_s + row.subkey + u'/' + row.executable;
        EXPECT_EQ(test::storedPath(row.subkey), path);
        clickItem(row.item);
        EXPECT_EQ(exePath(), path);
    }
    // A change typed and cleared back to the stored value lets the switch happen.
    typeExePath(u"/apps/Zmr/ZmrClient.ex"_s);
    typeExePath(u"/apps/Zmr/ZmrClient.exe"_s);
    clickItem(VsItem);
    EXPECT_EQ(selected(), (QList<int>{VsItem, MapsItem}));
    EXPECT_EQ(prompt.count(), 0);
    // Only the War3 path moved the maps folder.
    EXPECT_EQ(folderPath(), u"/apps/War3/Maps/NaloBox"_s);
    EXPECT_EQ(test::storedPath(u"Tools"_s), QString());
}

TEST_F(PathSettingTest, ConfirmClosesOnlyWithoutUnsavedChanges)
{
    struct Case {
        const char* name;
        int folderItem;
        std::optional<QString> exeText; // typed into the boxes, if anything
        std::optional<QString> folderText;
        bool refused;
    };
    const Case cases[] = {
        {"nothing changed", MapsItem, std::nullopt, std::nullopt, false},
        {"game path typed", MapsItem, u"/typed/War3.exe"_s, std::nullopt, true},
        {"tools folder typed", ToolsItem, std::nullopt, u"/typed/tools"_s, true},
        {"maps folder typed", MapsItem, std::nullopt, u"/typed/maps"_s, false},
        {"tools folder as stored", ToolsItem, std::nullopt, u"/data/tools"_s, false},
        {"game path cleared", MapsItem, QString(), std::nullopt, true},
    };
    store(u"War3"_s, u"/games/w3/War3.exe"_s);
    store(u"Tools"_s, u"/data/tools"_s);
    const QByteArray before = configFile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.show(); // afresh, whatever the last opening left behind
        EXPECT_EQ(selected(), (QList<int>{War3Item, MapsItem}));
        EXPECT_EQ(exePath(), u"/games/w3/War3.exe"_s);
        EXPECT_EQ(folderPath(), u"/games/w3/Maps/NaloBox"_s);
        clickItem(c.folderItem);
        if (c.exeText)
            typeExePath(*c.exeText);
        if (c.folderText)
            typeFolderPath(*c.folderText);
        prompt.clear();
        press(Confirm);
        if (c.refused) {
            EXPECT_EQ(prompt.texts(), QStringList{closeRefused});
            EXPECT_TRUE(dialog.isVisible());
            // Escape, as "取消", closes without asking and keeps nothing.
            QTest::keyClick(child<QLineEdit>(1056), Qt::Key_Escape);
        }
        EXPECT_EQ(prompt.count(), c.refused ? 1 : 0);
        EXPECT_EQ(dialog.result(), c.refused ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(configFile(), before);
    }
}

TEST_F(PathSettingTest, ToolsFolderIsStoredAndTheMapsFolderNever)
{
    store(u"War3"_s, u"/games/w3/War3.exe"_s);
    dialog.show();
    clickItem(ToolsItem);
    EXPECT_EQ(selected(), (QList<int>{War3Item, ToolsItem}));
    EXPECT_EQ(folderPath(), QString());

    // The folder of the file the user would have saved; nothing stored yet.
    prompt.chooseNextFile(u"/data/tools/NaloZarn"_s);
    press(BrowseFolder);
    const FileDialogRequest request = prompt.fileDialogs().value(0);
    EXPECT_EQ(request.title, u"请手动设置文件保存路径"_s);
    EXPECT_EQ(request.initialName, u"NaloZarn"_s);
    EXPECT_EQ(request.filter, u"(*.*)|*.*||"_s);
    EXPECT_EQ(request.defaultSuffix, QString());
    EXPECT_FALSE(request.mustExist);
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(folderPath(), u"/data/tools"_s);
    EXPECT_EQ(test::storedPath(u"Tools"_s), QString());
    // A file in the top folder gives "/", not an empty text that means "not set".
    prompt.chooseNextFile(u"/NaloZarn"_s);
    press(BrowseFolder);
    EXPECT_EQ(folderPath(), u"/"_s);
    prompt.chooseNextFile(u"/data/tools/NaloZarn"_s);
    press(BrowseFolder);
    press(BrowseFolder); // cancelled
    EXPECT_EQ(folderPath(), u"/data/tools"_s);

    press(Apply);
    EXPECT_EQ(test::storedPath(u"Tools"_s), u"/data/tools"_s);
    // With the tools item selected the game path does not replace the folder box.
    EXPECT_EQ(folderPath(), u"/data/tools"_s);

    // Back on the maps item: the derived folder, and a hand edit goes nowhere.
    clickItem(MapsItem);
    EXPECT_FALSE(child<CSkinButton>(BrowseFolder)->isEnabled());
    EXPECT_EQ(folderPath(), u"/games/w3/Maps/NaloBox"_s);
    typeFolderPath(u"/typed/maps"_s);
    press(Apply);
    EXPECT_EQ(test::storedPath(u"Tools"_s), u"/data/tools"_s);
    EXPECT_FALSE(configFile().contains("/typed/maps"));
    EXPECT_FALSE(configFile().contains("NaloBox"));
    clickItem(ToolsItem); // replaces the box without asking
    EXPECT_EQ(folderPath(), u"/data/tools"_s);
    EXPECT_EQ(prompt.texts(), (QStringList{applied, applied}));
}

TEST_F(PathSettingTest, AppliedGamePathShowsItsMapsFolderAndAnEmptyOneIsNotSet)
{
    const std::pair<QString, QString> cases[] = {
        {u"/games/w3/War3.exe"_s, u"/games/w3/Maps/NaloBox"_s},
        {u"/home/玩家/魔兽/War3.exe"_s, u"/home/玩家/魔兽/Maps/NaloBox"_s},
        {u"/games/w3/"_s, u"/games/w3/Maps/NaloBox"_s},
        {u"/War3.exe"_s, u"/Maps/NaloBox"_s},
        {u"War3.exe"_s, u"/Maps/NaloBox"_s},
        {u""_s, u"/Maps/NaloBox"_s},
    };
    dialog.show();
    for (const auto& [path, mapsFolder] : cases) {
        SCOPED_TRACE(path.toStdString());
        typeExePath(path);
        press(Apply);
        EXPECT_EQ(folderPath(), mapsFolder);
        EXPECT_EQ(test::storedPath(u"War3"_s), path);
    }
    // The empty path was stored and reads as not set: a new opening shows no folder.
    press(Cancel);
    dialog.show();
    EXPECT_EQ(exePath(), QString());
    EXPECT_EQ(folderPath(), QString());
    EXPECT_TRUE(configFile().contains("[War3]"));
}

TEST_F(PathSettingTest, BrowsedFileMustBeTheTargetsProgramByItsExactName)
{
    const QString war3 = makeFile(u"Games/War3/War3.exe"_s);
    const QString lower = makeFile(u"Games/w3/war3.exe"_s);
    makeFile(u"Games/both/War3.exe"_s);
    const QString besideRight = makeFile(u"Games/both/war3.exe"_s);
    const QString vs = makeFile(u"Games/VS/VSClient.exe"_s);
    QDir().mkpath(files.path() + u"/Games/Folder/War3.exe"_s);
    const std::tuple<int, QString, bool> cases[] = {
        {War3Item, war3, true},
        {War3Item, lower, false},
        {War3Item, besideRight, false},
        {War3Item, files.path() + u"/Games/w3/War3.exe"_s, false}, // not on disk
        {War3Item, files.path() + u"/Games/Folder/War3.exe"_s, false},
        {War3Item, vs, false},
        {VsItem, vs, true},
        {VsItem, war3, false},
    };
    dialog.show();
    for (const auto& [target, chosen, accepted] : cases) {
        SCOPED_TRACE(chosen.toStdString());
        typeExePath(QString());
        clickItem(target); // the box is empty, as stored
        typeExePath(u"/before"_s);
        prompt.clear();
        prompt.chooseNextFile(chosen);
        press(BrowseExe);
        EXPECT_EQ(prompt.texts(), accepted ? QStringList() : QStringList{wrongProgram});
        EXPECT_EQ(exePath(), accepted ? chosen : QString());
    }
    // The dialog asked as the program does, and browsing stored nothing.
    const FileDialogRequest request = prompt.fileDialogs().value(0);
    EXPECT_EQ(request.title, u"请手动设置路径对应程序路径"_s);
    EXPECT_EQ(request.initialName, u"*.exe"_s);
    EXPECT_EQ(request.defaultSuffix, u"exe"_s);
    EXPECT_EQ(request.filter, u"可执行程序 (*.exe)|*.exe|All Files (*.*)|*.*||"_s);
    EXPECT_TRUE(request.mustExist);
    EXPECT_FALSE(QFile::exists(config.userFile()));

    typeExePath(u"/kept"_s);
    press(BrowseExe); // cancelled: changes nothing
    EXPECT_EQ(exePath(), u"/kept"_s);
}

TEST_F(PathSettingTest, SearchResultIsStoredForTheTargetSelectedAtTheSearch)
{
    makeFile(u"a/War3.exe"_s); // reported, but not the name looked for
    const QString vs = makeFile(u"b/VSClient.exe"_s);
    store(u"War3"_s, u"/games/w3/War3.exe"_s);
    dialog.show();
    clickItem(VsItem);

    // Drives the search dialog once it runs: start the scan on the temporary
    // tree, or give up after 10 s should it not match. The match question is
    // answered OK by the prompt's default.
    const auto eachSearch = [](const std::function<void(CSearchPlat*)>& action) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* search = qobject_cast<CSearchPlat*>(window); search && search->isVisible())
                action(search);
        }
    };
    QString lookedFor;
    QTimer::singleShot(0, [&] {
        eachSearch([&](CSearchPlat* search) {
            lookedFor = search->ExecutableName();
            search->findChild<CSkinButton*>(u"1061"_s)->click();
        });
    });
    QTimer::singleShot(10000,
                       [&] { eachSearch([](CSearchPlat* s) { s->done(QDialog::Rejected); }); });
    bool searchOpenAtSuccess = false;
    prompt.onNextMessage([](const test::FakePrompt::Shown&) {});
    prompt.onNextMessage([&](const test::FakePrompt::Shown&) {
        eachSearch([&](CSearchPlat*) { searchOpenAtSuccess = true; });
    });
    press(Search);

    EXPECT_EQ(lookedFor, u"VSClient.exe"_s);
    EXPECT_EQ(prompt.texts(), (QStringList{u"找到一个符合的文件，是否启用！"_s, applied}));
    EXPECT_TRUE(searchOpenAtSuccess);
    EXPECT_EQ(test::storedPath(u"VS"_s), vs);
    EXPECT_EQ(test::storedPath(u"War3"_s), u"/games/w3/War3.exe"_s);
    EXPECT_EQ(exePath(), vs);
    EXPECT_EQ(selected(), (QList<int>{VsItem, MapsItem}));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(PathSettingTest, ReadOnlyConfigFolderShowsTheFailureAndKeepsTheChangeUnsaved)
{
    store(u"War3"_s, u"/old/War3.exe"_s);
    store(u"Tools"_s, u"/old/tools"_s);
    dialog.show();
    clickItem(ToolsItem);
    typeExePath(u"/new/War3.exe"_s);
    typeFolderPath(u"/new/tools"_s);
    {
        test::ReadOnlyFolder locked(QFileInfo(config.userFile()).path());
        if (!locked.effective())
            GTEST_SKIP() << "this system lets files be created in a read-only folder";
        press(Apply);
        ASSERT_EQ(prompt.texts(), QStringList{u"设置保存失败！请检查配置文件是否可写。"_s});
        EXPECT_EQ(prompt.messages().constFirst().caption, u"Nalo友情提示"_s);
        EXPECT_EQ(exePath(), u"/new/War3.exe"_s);
        EXPECT_EQ(folderPath(), u"/new/tools"_s);
        EXPECT_EQ(test::storedPath(u"War3"_s), u"/old/War3.exe"_s);
        EXPECT_EQ(test::storedPath(u"Tools"_s), u"/old/tools"_s);
        // Still unsaved: neither switching nor "确定" lets it go.
        prompt.clear();
        clickItem(VsItem);
        press(Confirm);
        EXPECT_EQ(prompt.texts(), (QStringList{switchRefused, closeRefused}));
        EXPECT_TRUE(dialog.isVisible());
    }
    // Writable again: the same texts apply.
    prompt.clear();
    press(Apply);
    EXPECT_EQ(prompt.texts(), QStringList{applied});
    EXPECT_EQ(test::storedPath(u"War3"_s), u"/new/War3.exe"_s);
    EXPECT_EQ(test::storedPath(u"Tools"_s), u"/new/tools"_s);
}

} // namespace
} // namespace verdane
