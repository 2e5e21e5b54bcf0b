#include "settings/LaunchTarget.h"
#include "settings/DownloadFolders.h"
#include "settings/PrintQString.h"

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

TEST(LaunchTargetTable, IndexOrderDiffersFromButtonOrder)
{
    // The path settings dialog and the search go by index, the main window by button.
    const QString byIndex[] = {u"War3.exe"_s, u"VSClient.exe"_s, u"GameClient.exe"_s,
                               u"AAClientOriginal.exe"_s, u"ZmrClient.exe"_s};
    const int buttons[] = {3000, 3002, 3001, 3003, 3004};
    for (int index = 0; index < launchTargetCount; ++index) {
        const LaunchTarget* target = launchTargetAt(index);
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(target->executableName, byIndex[index]);
        EXPECT_EQ(target->settingsItemId, 1043 + index);
        EXPECT_EQ(launchTargetForButton(buttons[index]), target);
    }
}

TEST(LaunchTargetTable, OtherIdsAndIndexesFindNothing)
{
    for (const int id : {0, 1043, 2999, 3005, 3010, -3000})
        EXPECT_EQ(launchTargetForButton(id), nullptr) << id;
    for (const int index : {-1, 5, 1043})
        EXPECT_EQ(launchTargetAt(index), nullptr) << index;
}

TEST(LaunchTargetTable, UsablePathHoldsTheExecutableNameWithItsCase)
{
    const LaunchTarget& war3 = *launchTargetAt(0);
    const LaunchTarget& aa = *launchTargetAt(3);
    struct Case {
        const LaunchTarget& target;
        QString path;
        bool usable;
    };
    const Case cases[] = {
        {war3, u"/games/w3/War3.exe"_s, true},
        {war3, u"/home/玩家/War3.exe.bak"_s, true}, // anywhere in the text
        {war3, u"War3.exe"_s, true},
        {war3, u"/games/w3/war3.exe"_s, false},
        {war3, u"/games/w3/WAR3.EXE"_s, false},
        {war3, u"/games/w3/Frozen Throne.exe"_s, false},
        {war3, u""_s, false},
        {aa, u"/p/AAClientOriginal.exe"_s, true},
        {aa, u"/p/AAClient.exe"_s, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.target.isUsablePath(c.path), c.usable) << c.path.toStdString();
}

TEST(DownloadFolders, LabelsAndMapsFolderRule)
{
    EXPECT_EQ(downloadFolderLabel(0), u"地图下载地址"_s);
    EXPECT_EQ(downloadFolderLabel(1), u"工具下载地址"_s);
    EXPECT_EQ(downloadFolderLabel(2), QString());
    EXPECT_EQ(downloadFolderLabel(-1), QString());

    const std::pair<QString, QString> cases[] = {
        {u"/games/w3/War3.exe"_s, u"/games/w3/Maps/NaloBox"_s},
        {u"/home/玩家/魔兽/War3.exe"_s, u"/home/玩家/魔兽/Maps/NaloBox"_s},
        {u"/War3.exe"_s, u"/Maps/NaloBox"_s},
        {u"/games/w3/"_s, u"/games/w3/Maps/NaloBox"_s},
        {u"War3.exe"_s, u"/Maps/NaloBox"_s},
        {u""_s, u"/Maps/NaloBox"_s},
    };
    for (const auto& [war3Path, folder] : cases)
        EXPECT_EQ(mapsFolderFor(war3Path), folder) << war3Path.toStdString();
}

} // namespace
} // namespace verdane
