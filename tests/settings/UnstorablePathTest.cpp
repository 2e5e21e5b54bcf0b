#include "settings/SettingsTestSupport.h"
#include "settings/ui/Launcher.h"
#include "settings/ui/PathSetting.h"
#include "settings/ui/SettingsNotices.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"
#include "ui/skin/CSkinButton.h"
#include "ui/skin/CSkinGroupStatic.h"

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// A real War3.exe whose path is 300 bytes long.
QString longGamePath(const QTemporaryDir& files)
{
    const QString folder = QString(100, u'd') + u'/' + QString(189 - files.path().size(), u'e');
    return test::makeFile(files.path() + u'/' + folder + u"/War3.exe"_s);
}

class UnstorablePathTest : public ::testing::Test {
protected:
    template <typename T> T* child(int id) const
    {
        return dialog->findChild<T*>(QString::number(id));
    }
    // Opens the dialog afresh, selects the item, types into its box and applies.
    void applyTyped(int item, const QString& text)
    {
        dialog.emplace();
        dialog->show();
        QTest::mouseClick(child<CSkinGroupStatic>(item), Qt::LeftButton);
        child<QLineEdit>(item == 1049 ? 1057 : 1056)->setText(text);
        prompt.clear();
        child<CSkinButton>(1)->click();
    }

    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QTemporaryDir files;
    std::optional<PathSetting> dialog;
};

TEST_F(UnstorablePathTest, APathTooLongToReadBackIsRefusedAndTheStoredOneKept)
{
    const QString typed = longGamePath(files);
    ASSERT_EQ(typed.size(), 300);
    ASSERT_TRUE(test::storePath(u"War3"_s, u"/old/War3"_s));
    ASSERT_TRUE(test::storePath(u"Tools"_s, u"/old/Tools"_s));
    const QByteArray before = test::fileContent(config.userFile());
    for (const auto& [item, box] : {std::pair{1043, 1056}, std::pair{1049, 1057}}) {
        applyTyped(item, typed);
        EXPECT_EQ(prompt.texts(), QStringList{pathTooLongNotice()});
        EXPECT_EQ(child<QLineEdit>(box)->text(), typed);
        EXPECT_EQ(test::fileContent(config.userFile()), before);
    }

    // The launcher's file dialog likewise: the chosen program starts, unstored.
    prompt.clear();
    prompt.chooseNextFile(typed);
    Launcher().StartTarget(nullptr, 3000);
    EXPECT_EQ(prompt.texts().last(), pathTooLongNotice());
    EXPECT_EQ(test::storedPath(u"War3"_s), u"/old/War3"_s);
    EXPECT_EQ(shell.programs(), QStringList{typed});
}

TEST_F(UnstorablePathTest, ApplyOverAnUnreadableFileSaysWhereTheOldFileWasKept)
{
    config.writeUserFile(QByteArray(64, '\0') + "[War3]\n\xff\xfe");
    applyTyped(1043, u"/g/War3.exe"_s);
    const QStringList kept =
        QDir(config.userDir() + u"/NaloSoft"_s).entryList({u"Verdane.conf.unreadable-*"_s});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(prompt.texts(),
              QStringList{u"设置成功！\n"_s +
                          keptUnreadableNotice(config.userDir() + u"/NaloSoft/"_s + kept[0])});
    EXPECT_EQ(test::storedPath(u"War3"_s), u"/g/War3.exe"_s);
}

} // namespace
} // namespace verdane
