#include "settings/ui/PathSetting.h"

#include "common/Prompt.h"
#include "search/ui/CSearchPlat.h"
#include "settings/PrintQString.h"
#include "settings/ReadOnlyFolder.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "support/FakePrompt.h"
#include "support/TempConfig.h"
#include "ui/skin/CSkinButton.h"
#include "ui/skin/CSkinGroupStatic.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

const QString applied = u"设置成功！"_s;
const QString applyFailed = u"设置保存失败！请检查配置文件是否可写。"_s;
const QString switchRefused = u"请你先点击“应用”按钮来保存上个修改的地址！"_s;
const QString closeRefused = u"请你先点击“应用”按钮来保存地址，在关闭！"_s;
const QString wrongProgram = u"没有找到程序默认运行程序，请核对盘符路径！"_s;

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

    static QString stored(const QString& subkey)
    {
        return SettingsStore().ReadSetting(SettingsRoot::LocalMachine, programSubkey(subkey),
                                           clientPathValue());
    }
    static void store(const QString& subkey, const QString& path)
    {
        ASSERT_TRUE(SettingsStore().WriteSetting(SettingsRoot::LocalMachine, programSubkey(subkey),
                                                 clientPathValue(), path));
    }
    QByteArray configFile() const
    {
        QFile file(config.userFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // A real file below the temporary folder.
    QString makeFile(const QString& relative) const
    {
        const QString path = files.path() + u'/' + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }

    QLineEdit* edit(int id) const
    {
        auto* found = dialog.findChild<QLineEdit*>(QString::number(id));
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    CSkinButton* button(int id) const
    {
        auto* found = dialog.findChild<CSkinButton*>(QString::number(id));
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    CSkinGroupStatic* item(int id) const
    {
        auto* found = dialog.findChild<CSkinGroupStatic*>(QString::number(id));
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    QString exePath() const { return edit(1056)->text(); }
    QString folderPath() const { return edit(1057)->text(); }
    void typeExePath(const QString& text) const { edit(1056)->setText(text); }
    void typeFolderPath(const QString& text) const { edit(1057)->setText(text); }
    void clickItem(int id) const { QTest::mouseClick(item(id), Qt::LeftButton); }
    void press(int id) const { button(id)->click(); }
    // The ids of the selected items among the targets or the folder items.
    QList<int> selected(int first, int last) const
    {
        QList<int> ids;
        for (int id = first; id <= last; ++id) {
            if (item(id)->selected)
                ids.append(id);
        }
        return ids;
    }
    QList<int> selectedTargets() const { return selected(1043, 1047); }
    QList<int> selectedFolders() const { return selected(1048, 1049); }

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
        EXPECT_EQ(selectedTargets(), QList<int>{1043});
        EXPECT_EQ(selectedFolders(), QList<int>{1048});
        EXPECT_FALSE(button(1053)->isEnabled());
        EXPECT_TRUE(button(1052)->isEnabled());
        EXPECT_TRUE(button(1050)->isEnabled());
        checked = true;
        press(1039);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(checked);
    EXPECT_EQ(dialog.windowTitle(), u"对战平台及游戏设置"_s);
    EXPECT_EQ(prompt.count(), 0);
    EXPECT_FALSE(QFile::exists(config.userFile()));

    const QString texts[] = {u"War3冰封王座"_s, u"VS对战平台"_s,     u"浩方对战平台"_s,
                             u"AA对战平台"_s,   u"掌门人对战平台"_s, u"地图下载地址"_s,
                             u"工具下载地址"_s};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(item(1043 + i)->text(), texts[i]);
        EXPECT_EQ(item(1043 + i)->cursor().shape(), item(1043)->cursor().shape());
    }
    EXPECT_NE(item(1043)->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(PathSettingTest, OpensWithTheStoredPathsAndStartsAfreshEachTime)
{
    store(u"War3"_s, u"/games/w3/War3.exe"_s);
    store(u"Tools"_s, u"/data/tools"_s);
    dialog.show();
    EXPECT_EQ(exePath(), u"/games/w3/War3.exe"_s);
    EXPECT_EQ(folderPath(), u"/games/w3/Maps/NaloBox"_s);

    // Leave another target, the tools item and unsaved texts behind.
    clickItem(1044);
    clickItem(1049);
    typeExePath(u"/typed/VSClient.exe"_s);
    typeFolderPath(u"/typed"_s);
    press(2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    dialog.show();
    EXPECT_EQ(selectedTargets(), QList<int>{1043});
    EXPECT_EQ(selectedFolders(), QList<int>{1048});
    EXPECT_FALSE(button(1053)->isEnabled());
    EXPECT_EQ(exePath(), u"/games/w3/War3.exe"_s);
    EXPECT_EQ(folderPath(), u"/games/w3/Maps/NaloBox"_s);
    EXPECT_EQ(stored(u"VS"_s), QString());
    EXPECT_EQ(stored(u"Tools"_s), u"/data/tools"_s);
    EXPECT_EQ(prompt.count(), 0);
}

TEST_F(PathSettingTest, UnsavedPathKeepsTheSelectionUntilClearedBack)
{
    store(u"War3"_s, u"/games/w3/War3.exe"_s);
    store(u"VS"_s, u"/vs/VSClient.exe"_s);
    dialog.show();
    typeExePath(u"/games/w3/War3.ex"_s);
    // Every item refuses, the selected one too.
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        prompt.clear();
        clickItem(row.item);
        EXPECT_EQ(prompt.texts(), QStringList{switchRefused});
        EXPECT_EQ(selectedTargets(), QList<int>{1043});
        EXPECT_EQ(exePath(), u"/games/w3/War3.ex"_s);
    }
    ASSERT_EQ(prompt.messages().size(), 1);
    const test::FakePrompt::Shown shown = prompt.messages().constFirst();
    EXPECT_EQ(shown.caption, u"Nalo友情提示"_s);
    EXPECT_EQ(shown.buttons, PromptButtons::Ok);
    EXPECT_EQ(shown.owner, &dialog);

    prompt.clear();
    typeExePath(u"/games/w3/War3.exe"_s);
    clickItem(1044);
    EXPECT_EQ(prompt.count(), 0);
    EXPECT_EQ(selectedTargets(), QList<int>{1044});
    EXPECT_EQ(exePath(), u"/vs/VSClient.exe"_s);
    // The folder side is not touched by switching targets.
    EXPECT_EQ(selectedFolders(), QList<int>{1048});
    EXPECT_EQ(folderPath(), u"/games/w3/Maps/NaloBox"_s);
    EXPECT_EQ(stored(u"War3"_s), u"/games/w3/War3.exe"_s);
}

TEST_F(PathSettingTest, EachTargetAppliesToItsOwnKeyAndSwitchesFreelyAfterwards)
{
    dialog.show();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        prompt.clear();
        clickItem(row.item);
        EXPECT_EQ(prompt.count(), 0);
        EXPECT_EQ(exePath(), QString());
        typeExePath(u"/apps/"_s + row.subkey + u'/' + row.executable);
        press(1);
        ASSERT_EQ(prompt.texts(), QStringList{applied});
        EXPECT_EQ(prompt.messages().constFirst().caption, u"Nalo友情提示"_s);
        EXPECT_EQ(prompt.messages().constFirst().buttons, PromptButtons::Ok);
        EXPECT_TRUE(dialog.isVisible());
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.item);
        const QString path = u"/apps/"_s + row.subkey + u'/' + row.executable;
        EXPECT_EQ(stored(row.subkey), path);
        prompt.clear();
        clickItem(row.item);
        EXPECT_EQ(prompt.count(), 0);
        EXPECT_EQ(exePath(), path);
    }
    // Only the War3 path moved the maps folder.
    EXPECT_EQ(folderPath(), u"/apps/War3/Maps/NaloBox"_s);
    EXPECT_EQ(stored(u"Tools"_s), QString());
}

TEST_F(PathSettingTest, EnterAppliesAndEscapeCloses)
{
    dialog.show();
    typeExePath(u"/games/w3/War3.exe"_s);
    QTest::keyClick(edit(1056), Qt::Key_Return);
    EXPECT_EQ(prompt.texts(), QStringList{applied});
    EXPECT_EQ(stored(u"War3"_s), u"/games/w3/War3.exe"_s);
    EXPECT_TRUE(dialog.isVisible());

    typeExePath(u"/unsaved/War3.exe"_s);
    QTest::keyClick(edit(1056), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(prompt.texts(), QStringList{applied});
    EXPECT_EQ(stored(u"War3"_s), u"/games/w3/War3.exe"_s);
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
        {"nothing changed", 1048, std::nullopt, std::nullopt, false},
        {"game path typed", 1048, u"/typed/War3.exe"_s, std::nullopt, true},
        {"tools folder typed", 1049, std::nullopt, u"/typed/tools"_s, true},
        {"maps folder typed", 1048, std::nullopt, u"/typed/maps"_s, false},
        {"tools folder as stored", 1049, std::nullopt, u"/data/tools"_s, false},
        {"game path cleared", 1048, QString(), std::nullopt, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store(u"War3"_s, u"/games/w3/War3.exe"_s);
        store(u"Tools"_s, u"/data/tools"_s);
        const QByteArray before = configFile();
        dialog.show();
        clickItem(c.folderItem);
        if (c.exeText)
            typeExePath(*c.exeText);
        if (c.folderText)
            typeFolderPath(*c.folderText);
        prompt.clear();
        press(1039);
        if (c.refused) {
            EXPECT_EQ(prompt.texts(), QStringList{closeRefused});
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(exePath(), c.exeText.value_or(exePath()));
            EXPECT_EQ(folderPath(), c.folderText.value_or(folderPath()));
            // "取消" closes without asking and keeps nothing.
            press(2);
            EXPECT_EQ(prompt.texts(), QStringList{closeRefused});
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
        } else {
            EXPECT_EQ(prompt.count(), 0);
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
        }
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(configFile(), before);
    }
}

TEST_F(PathSettingTest, ToolsFolderIsStoredAndTheMapsFolderNever)
{
    store(u"War3"_s, u"/games/w3/War3.exe"_s);
    dialog.show();
    clickItem(1049);
    EXPECT_EQ(selectedFolders(), QList<int>{1049});
    EXPECT_TRUE(button(1053)->isEnabled());
    EXPECT_EQ(folderPath(), QString());

    // The folder of the file the user would have saved; nothing stored yet.
    prompt.chooseNextFile(u"/data/tools/NaloZarn"_s);
    press(1053);
    ASSERT_EQ(prompt.fileDialogs().size(), 1);
    const FileDialogRequest request = prompt.fileDialogs().constFirst();
    EXPECT_EQ(request.title, u"请手动设置文件保存路径"_s);
    EXPECT_EQ(request.initialName, u"NaloZarn"_s);
    EXPECT_EQ(request.filter, u"(*.*)|*.*||"_s);
    EXPECT_EQ(request.defaultSuffix, QString());
    EXPECT_FALSE(request.mustExist);
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(folderPath(), u"/data/tools"_s);
    EXPECT_EQ(stored(u"Tools"_s), QString());
    // A file in the top folder gives "/", not an empty text that means "not set".
    prompt.chooseNextFile(u"/NaloZarn"_s);
    press(1053);
    EXPECT_EQ(folderPath(), u"/"_s);
    prompt.chooseNextFile(u"/data/tools/NaloZarn"_s);
    press(1053);
    press(1053); // cancelled
    EXPECT_EQ(folderPath(), u"/data/tools"_s);

    press(1);
    EXPECT_EQ(prompt.texts(), QStringList{applied});
    EXPECT_EQ(stored(u"Tools"_s), u"/data/tools"_s);
    // With the tools item selected the game path does not replace the folder box.
    EXPECT_EQ(folderPath(), u"/data/tools"_s);

    // Back on the maps item: the derived folder, and a hand edit goes nowhere.
    clickItem(1048);
    EXPECT_FALSE(button(1053)->isEnabled());
    EXPECT_EQ(folderPath(), u"/games/w3/Maps/NaloBox"_s);
    typeFolderPath(u"/typed/maps"_s);
    typeExePath(u"/games/w3/War3.exe"_s);
    press(1);
    EXPECT_EQ(stored(u"Tools"_s), u"/data/tools"_s);
    EXPECT_FALSE(configFile().contains("/typed/maps"));
    EXPECT_FALSE(configFile().contains("NaloBox"));
    // Switching items replaces the box without asking.
    clickItem(1049);
    EXPECT_EQ(folderPath(), u"/data/tools"_s);
    EXPECT_EQ(prompt.texts(), (QStringList{applied, applied}));
}

TEST_F(PathSettingTest, AppliedGamePathShowsItsMapsFolder)
{
    struct Case {
        QString path;
        QString mapsFolder;
    };
    const Case cases[] = {
        {u"/games/w3/War3.exe"_s, u"/games/w3/Maps/NaloBox"_s},
        {u"/War3.exe"_s, u"/Maps/NaloBox"_s},
        {u"War3.exe"_s, u"/Maps/NaloBox"_s},
        {u""_s, u"/Maps/NaloBox"_s},
    };
    dialog.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        typeExePath(c.path);
        press(1);
        EXPECT_EQ(folderPath(), c.mapsFolder);
        EXPECT_EQ(stored(u"War3"_s), c.path);
    }
    // The empty path was stored and reads as not set: a new opening shows no folder.
    press(2);
    dialog.show();
    EXPECT_EQ(exePath(), QString());
    EXPECT_EQ(folderPath(), QString());
    EXPECT_TRUE(configFile().contains("[War3]"));

    // Another target's path leaves the maps folder alone.
    typeExePath(u"/games/w3/War3.exe"_s);
    press(1);
    clickItem(1044);
    typeExePath(u"/vs/VSClient.exe"_s);
    press(1);
    EXPECT_EQ(folderPath(), u"/games/w3/Maps/NaloBox"_s);
}

TEST_F(PathSettingTest, BrowsedFileMustBeTheTargetsProgramByItsExactName)
{
    struct Case {
        int target;
        QString chosen;
        bool accepted;
    };
    const QString war3 = makeFile(u"Games/War3/War3.exe"_s);
    const QString lower = makeFile(u"Games/w3/war3.exe"_s);
    makeFile(u"Games/both/War3.exe"_s);
    const QString besideRight = makeFile(u"Games/both/war3.exe"_s);
    const QString vs = makeFile(u"Games/VS/VSClient.exe"_s);
    QDir().mkpath(files.path() + u"/Games/Folder/War3.exe"_s);
    const Case cases[] = {
        {1043, war3, true},
        {1043, lower, false},
        {1043, besideRight, false},
        {1043, files.path() + u"/Games/w3/War3.exe"_s, false}, // not on disk
        {1043, files.path() + u"/Games/Folder/War3.exe"_s, false},
        {1043, vs, false},
        {1044, vs, true},
        {1044, war3, false},
    };
    dialog.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        if (selectedTargets() != QList<int>{c.target})
            clickItem(c.target); // the box is empty, as stored
        typeExePath(u"/before"_s);
        prompt.clear();
        prompt.chooseNextFile(c.chosen);
        press(1052);
        if (c.accepted) {
            EXPECT_EQ(prompt.count(), 0);
            EXPECT_EQ(exePath(), c.chosen);
        } else {
            EXPECT_EQ(prompt.texts(), QStringList{wrongProgram});
            EXPECT_EQ(exePath(), QString());
        }
        typeExePath(QString());
    }
    // The dialog asked as the program does, and browsing stored nothing.
    ASSERT_FALSE(prompt.fileDialogs().isEmpty());
    const FileDialogRequest request = prompt.fileDialogs().constFirst();
    EXPECT_EQ(request.title, u"请手动设置路径对应程序路径"_s);
    EXPECT_EQ(request.initialName, u"*.exe"_s);
    EXPECT_EQ(request.defaultSuffix, u"exe"_s);
    EXPECT_EQ(request.filter, u"可执行程序 (*.exe)|*.exe|All Files (*.*)|*.*||"_s);
    EXPECT_TRUE(request.mustExist);
    EXPECT_FALSE(QFile::exists(config.userFile()));

    // Cancelling changes nothing.
    typeExePath(u"/kept"_s);
    prompt.clear();
    press(1052);
    EXPECT_EQ(prompt.count(), 0);
    EXPECT_EQ(exePath(), u"/kept"_s);
}

TEST_F(PathSettingTest, SearchResultIsStoredForTheTargetSelectedAtTheSearch)
{
    makeFile(u"a/War3.exe"_s); // reported, but not the name looked for
    const QString vs = makeFile(u"b/VSClient.exe"_s);
    store(u"War3"_s, u"/games/w3/War3.exe"_s);
    dialog.show();
    clickItem(1044);

    // Drives the search dialog once it runs: start the scan on the temporary
    // tree. The match question is answered OK by the prompt's default.
    QString lookedFor;
    bool searchOpenAtSuccess = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* search = qobject_cast<CSearchPlat*>(window);
            if (search != nullptr && search->isVisible()) {
                lookedFor = search->ExecutableName();
                search->findChild<CSkinButton*>(u"1061"_s)->click();
            }
        }
    });
    // Never leave a search dialog hanging should the scan not match.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* search = qobject_cast<CSearchPlat*>(window))
                search->done(QDialog::Rejected);
        }
    });
    guard.start(10000);
    prompt.onNextMessage([](const test::FakePrompt::Shown&) {});
    prompt.onNextMessage([&](const test::FakePrompt::Shown&) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (qobject_cast<CSearchPlat*>(window) != nullptr && window->isVisible())
                searchOpenAtSuccess = true;
        }
    });
    press(1050);

    EXPECT_EQ(lookedFor, u"VSClient.exe"_s);
    EXPECT_EQ(prompt.texts(), (QStringList{u"找到一个符合的文件，是否启用！"_s, applied}));
    EXPECT_TRUE(searchOpenAtSuccess);
    EXPECT_EQ(stored(u"VS"_s), vs);
    EXPECT_EQ(stored(u"War3"_s), u"/games/w3/War3.exe"_s);
    EXPECT_EQ(exePath(), vs);
    EXPECT_EQ(selectedTargets(), QList<int>{1044});
    EXPECT_TRUE(dialog.isVisible());
}

class PathSettingWriteFailure : public PathSettingTest {
protected:
    // Applies a new game path and tools folder while the settings cannot be written.
    void applyWhileBroken(const std::function<bool()>& breakSettings)
    {
        store(u"War3"_s, u"/old/War3.exe"_s);
        store(u"Tools"_s, u"/old/tools"_s);
        dialog.show();
        clickItem(1049);
        typeExePath(u"/new/War3.exe"_s);
        typeFolderPath(u"/new/tools"_s);
        prompt.clear();
        if (!breakSettings())
            GTEST_SKIP() << "this system lets files be created in a read-only folder";
        press(1);
        ASSERT_EQ(prompt.texts(), QStringList{applyFailed});
        EXPECT_EQ(prompt.messages().constFirst().caption, u"Nalo友情提示"_s);
        EXPECT_EQ(prompt.messages().constFirst().buttons, PromptButtons::Ok);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(exePath(), u"/new/War3.exe"_s);
        EXPECT_EQ(folderPath(), u"/new/tools"_s);
        // Still unsaved: neither switching nor "确定" lets it go.
        prompt.clear();
        clickItem(1044);
        press(1039);
        EXPECT_EQ(prompt.texts(), (QStringList{switchRefused, closeRefused}));
        EXPECT_TRUE(dialog.isVisible());
    }
};

TEST_F(PathSettingWriteFailure, ReadOnlyConfigFolderShowsTheFailure)
{
    std::unique_ptr<test::ReadOnlyFolder> locked;
    applyWhileBroken([&] {
        locked = std::make_unique<test::ReadOnlyFolder>(QFileInfo(config.userFile()).path());
        return locked->effective();
    });
    if (IsSkipped())
        return;
    EXPECT_EQ(stored(u"War3"_s), u"/old/War3.exe"_s);
    EXPECT_EQ(stored(u"Tools"_s), u"/old/tools"_s);

    // Writable again: the same texts apply.
    locked.reset();
    prompt.clear();
    press(1);
    EXPECT_EQ(prompt.texts(), QStringList{applied});
    EXPECT_EQ(stored(u"War3"_s), u"/new/War3.exe"_s);
    EXPECT_EQ(stored(u"Tools"_s), u"/new/tools"_s);
    press(1039);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(PathSettingWriteFailure, SettingsFileThatCannotBeReplacedShowsTheFailure)
{
    // The file's place is taken by a folder: no write can land.
    applyWhileBroken(
        [&] { return QFile::remove(config.userFile()) && QDir().mkpath(config.userFile()); });
}

} // namespace
} // namespace verdane

namespace verdane {
namespace {

TEST_F(PathSettingTest, PaintsFramesTitlesAndHintsInsideTheFrames)
{
    dialog.show();
    const QImage image = dialog.grab().toImage();
    const QColor background = image.pixelColor(505, 5);
    const auto count = [&image](QRect area, const std::function<bool(QColor)>& match) {
        int found = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                found += match(image.pixelColor(x, y)) ? 1 : 0;
        }
        return found;
    };

    // The four outlines, from the first corner up to the second.
    const QPoint outline[] = {{15, 100},  {174, 100}, {100, 17},  {100, 154}, {182, 100},
                              {494, 100}, {15, 200},  {174, 200}, {100, 284}, {494, 200}};
    for (const QPoint& p : outline)
        EXPECT_EQ(image.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
    EXPECT_NE(image.pixelColor(495, 100), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(100, 155), QColor(Qt::black));

    // Hints in their grey, labels and titles in black, each where the table
    // puts it: the darkest pixel of smoothed text is its pen colour.
    const auto darkest = [&image](QRect area) {
        QColor found = Qt::white;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixelColor(x, y).lightness() < found.lightness())
                    found = image.pixelColor(x, y);
            }
        }
        return found;
    };
    const QColor hint(102, 101, 97);
    for (int top : {26, 40, 172, 186})
        EXPECT_EQ(darkest(QRect(190, top, 100, 14)), hint) << top;
    for (QRect label : {QRect(202, 70, 100, 14), QRect(202, 204, 100, 14), QRect(20, 24, 70, 12),
                        QRect(20, 167, 70, 12)})
        EXPECT_EQ(darkest(label), QColor(Qt::black)) << label.y();

    // The longest hint ends before the frame, however wide the font's letters are.
    const auto painted = [&background](QColor c) { return c != background; };
    EXPECT_EQ(count(QRect(492, 172, 2, 28), painted), 0);
    EXPECT_EQ(count(QRect(496, 17, 19, 268), painted), 0);
}

} // namespace
} // namespace verdane
