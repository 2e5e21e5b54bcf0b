#include "settings/ui/Launcher.h"
#include "settings/ui/PathSetting.h"
#include "settings/ui/SettingsNotices.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/StoredSettings.h"
#include "support/TempConfig.h"
#include "ui/skin/CSkinButton.h"
#include "ui/skin/CSkinGroupStatic.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

class UnstorablePathTest : public ::testing::Test {
protected:
    // Opens the dialog afresh, selects the item, types into its box and applies.
    QLineEdit* applyTyped(int item, const QString& text)
    {
        PathSetting* dialog = new PathSetting(&parent);
        dialog->show();
        QTest::mouseClick(dialog->findChild<CSkinGroupStatic*>(QString::number(item)),
                          Qt::LeftButton);
        auto* box = dialog->findChild<QLineEdit*>(item == 1049 ? u"1057"_s : u"1056"_s);
        box->setText(text);
        prompt.clear();
        dialog->findChild<CSkinButton*>(u"1"_s)->click();
        return box;
    }

    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QWidget parent;
};

TEST_F(UnstorablePathTest, APathTooLongToReadBackIsRefusedAndTheStoredOneKept)
{
    QTemporaryDir files; // a real War3.exe at a path of 300 bytes
    const QString typed = files.path() + u'/' + QString(100, u'd') + u'/' +
                          QString(189 - files.path().size(), u'e') + u"/War3.exe"_s;
    ASSERT_TRUE(test::writeFile(typed, "MZ"));
    ASSERT_TRUE(test::storePath(u"War3"_s, u"/old/War3"_s) &&
                test::storePath(u"Tools"_s, u"/old/Tools"_s));
    const QByteArray before = test::readFile(config.userFile());
    for (const int item : {1043, 1049}) {
        EXPECT_EQ(applyTyped(item, typed)->text(), typed);
        EXPECT_EQ(prompt.texts(), QStringList{pathTooLongNotice()});
        EXPECT_EQ(test::readFile(config.userFile()), before);
    }
    // The launcher's file dialog likewise: the chosen program starts, unstored.
    prompt.chooseNextFile(typed);
    Launcher().StartTarget(nullptr, 3000);
    EXPECT_EQ(prompt.texts().last(), pathTooLongNotice());
    EXPECT_EQ(test::readFile(config.userFile()), before);
    EXPECT_EQ(shell.programs(), QStringList{typed});
}

TEST_F(UnstorablePathTest, ApplyOverAnUnreadableFileSaysWhereTheOldFileWasKept)
{
    config.writeUserFile(QByteArray(64, '\0') + "[War3]\n\xff\xfe");
    applyTyped(1043, u"/g/War3.exe"_s);
    const QString kept = config.userFile() + u".unreadable-"_s;
    ASSERT_EQ(prompt.texts().size(), 1);
    EXPECT_TRUE(prompt.texts()[0].startsWith(u"设置成功！\n"_s + keptUnreadableNotice(kept)));
    EXPECT_EQ(test::storedPath(u"War3"_s), u"/g/War3.exe"_s);
}

} // namespace
} // namespace verdane
