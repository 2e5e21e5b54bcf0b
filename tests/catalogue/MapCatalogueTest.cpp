#include "catalogue/MapCatalogue.h"
#include "catalogue/CatalogueFiles.h"
#include "catalogue/ScopedCurrentDir.h"
#include "settings/SettingsStore.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane::test {
namespace {

const QString catalogueFile = QStringLiteral("ZarnREZ.dat");

CatalogueRow row(int type, const char* time, const QString& name, const QString& link)
{
    return {type,
            QString::fromLatin1(time),
            name,
            name + QStringLiteral(" 说明"),
            QStringLiteral("http://pic.example/p.svg"),
            link,
            QStringLiteral("http://explain.example/e.html")};
}

QStringList names(const MapRecordList& list)
{
    QStringList result;
    for (const MapRecord& record : list)
        result.append(record.MapName);
    return result;
}

QList<bool> marks(const MapRecordList& list)
{
    QList<bool> result;
    for (const MapRecord& record : list)
        result.append(record.Downloaded);
    return result;
}

class MapCatalogueTest : public testing::Test {
protected:
    QTemporaryDir work;
    ScopedCurrentDir cwd{work.path()};
    TempConfig config;
    FakePrompt prompt;

    QString gameFolder() const { return work.filePath(QStringLiteral("games/w3")); }
    QString mapsFolder() const { return gameFolder() + QStringLiteral("/Maps/NaloBox"); }
    QString toolsFolder() const { return work.filePath(QStringLiteral("tools")); }

    void setPath(const QString& subkey, const QString& path)
    {
        ASSERT_TRUE(SettingsStore().WriteSetting(SettingsRoot::LocalMachine, programSubkey(subkey),
                                                 QStringLiteral("ClientPath"), path));
    }
    void setDefaultPaths()
    {
        setPath(QStringLiteral("War3"), gameFolder() + QStringLiteral("/War3.exe"));
        setPath(QStringLiteral("Tools"), toolsFolder());
    }
};

TEST_F(MapCatalogueTest, LoadsOneCategoryNewestFirstWithAllFields)
{
    ASSERT_TRUE(writeCatalogue(
        catalogueFile,
        {row(0, "2023-05-01", QStringLiteral("middle"), QStringLiteral("http://h/m.w3x")),
         row(1, "2030-01-01", QStringLiteral("other category"), QStringLiteral("o.w3x")),
         row(0, "2024-01-01 08:00", QStringLiteral("newest"), QStringLiteral("n.w3x")),
         row(0, "2022-12-31", QStringLiteral("oldest"), QStringLiteral("x.w3x")),
         row(0, "2024-01-01 07:59", QStringLiteral("second"), QStringLiteral("s.w3x"))}));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(0));
    EXPECT_EQ(names(catalogue.records()),
              (QStringList{QStringLiteral("newest"), QStringLiteral("second"),
                           QStringLiteral("middle"), QStringLiteral("oldest")}));
    const MapRecord& middle = catalogue.records().at(2);
    EXPECT_EQ(middle.MapExplain, QStringLiteral("middle 说明"));
    EXPECT_EQ(middle.Down_Link, QStringLiteral("http://h/m.w3x"));
    EXPECT_EQ(middle.Pic_Link, QStringLiteral("http://pic.example/p.svg"));
    EXPECT_EQ(middle.ExplainLink, QStringLiteral("http://explain.example/e.html"));
    EXPECT_EQ(marks(catalogue.records()), QList<bool>(4, false));

    ASSERT_TRUE(catalogue.LoadCategory(1));
    EXPECT_EQ(names(catalogue.records()), QStringList{QStringLiteral("other category")});
    EXPECT_EQ(prompt.count(), 0);
}

TEST_F(MapCatalogueTest, CategoryWithoutRowsKeepsThePreviousListAndMarks)
{
    setDefaultPaths();
    touchFile(mapsFolder() + QStringLiteral("/b.w3x"));
    ASSERT_TRUE(writeCatalogue(
        catalogueFile, {row(2, "2024-01-02", QStringLiteral("a"), QStringLiteral("/a.w3x")),
                        row(2, "2024-01-01", QStringLiteral("b"), QStringLiteral("/b.w3x"))}));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(2));
    ASSERT_EQ(marks(catalogue.records()), (QList<bool>{false, true}));
    catalogue.records()[0].Downloaded = true; // as after a download

    for (int empty : {99, 0, 4, -1}) {
        EXPECT_FALSE(catalogue.LoadCategory(empty)) << empty;
        EXPECT_EQ(names(catalogue.records()),
                  (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        EXPECT_EQ(marks(catalogue.records()), (QList<bool>{true, true}));
    }
    EXPECT_EQ(prompt.count(), 0);
}

TEST_F(MapCatalogueTest, MarksExactNamesOnlyAndTheFirstRecordOfEachName)
{
    setDefaultPaths();
    // Newest first: the list order is the order of the rows below.
    ASSERT_TRUE(writeCatalogue(
        catalogueFile,
        {row(0, "2024-09", QStringLiteral("exact"), QStringLiteral("http://h/f/a.w3x")),
         row(0, "2024-08", QStringLiteral("other case"), QStringLiteral("http://h/B.w3x")),
         row(0, "2024-07", QStringLiteral("same name, later"), QStringLiteral("http://x/y/a.w3x")),
         row(0, "2024-06", QStringLiteral("chinese"), QStringLiteral("http://h/守卫雅典娜.w3x")),
         row(0, "2024-05", QStringLiteral("in a subfolder"), QStringLiteral("http://h/deep.w3x")),
         row(0, "2024-04", QStringLiteral("folder entry"), QStringLiteral("http://h/pack")),
         row(0, "2024-03", QStringLiteral("no slash"), QStringLiteral("plain.w3x")),
         row(0, "2024-02", QStringLiteral("trailing slash"), QStringLiteral("http://h/dir/")),
         row(0, "2024-01", QStringLiteral("absent"), QStringLiteral("http://h/none.w3x"))}));
    for (const char* file : {"a.w3x", "b.w3x", "守卫雅典娜.w3x", "sub/deep.w3x", "pack/inner",
                             "plain.w3x", "dir/x", "A.W3X", ".hidden"})
        touchFile(mapsFolder() + u'/' + QString::fromUtf8(file));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(0));
    EXPECT_EQ(marks(catalogue.records()),
              (QList<bool>{true, false, false, true, false, true, true, true, false}));
}

TEST_F(MapCatalogueTest, MarksAgreeWithAWalkOfTheWholeListForEveryFile)
{
    setDefaultPaths();
    // Names drawn from a small pool, so many entries share a file name and many
    // files match nothing; links vary in their folders.
    QList<CatalogueRow> rows;
    for (int i = 0; i < 600; ++i) {
        const QString name = QStringLiteral("m%1%2.w3x")
                                 .arg((i * 37) % 250)
                                 .arg(i % 7 == 0 ? QStringLiteral("地图") : QString());
        rows.append(row(
            5, qPrintable(QStringLiteral("2024-01-01 %1").arg(10000 - i, 5, 10, QLatin1Char('0'))),
            QString::number(i), QStringLiteral("http://h/%1/").arg(i % 3) + name));
    }
    ASSERT_TRUE(writeCatalogue(catalogueFile, rows));
    QStringList files;
    for (int i = 0; i < 400; i += 3)
        files.append(
            QStringLiteral("m%1%2.w3x").arg(i).arg(i % 2 ? QStringLiteral("地图") : QString()));
    for (const QString& file : files)
        touchFile(mapsFolder() + u'/' + file);

    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(5));
    const MapRecordList& list = catalogue.records();
    ASSERT_EQ(list.count(), 600);
    QList<bool> expected(list.count(), false);
    for (const QString& file : files) {
        for (qsizetype i = 0; i < list.count(); ++i) {
            const QString link = list.at(i).Down_Link;
            if (link.mid(link.lastIndexOf(u'/') + 1) == file) {
                expected[i] = true;
                break;
            }
        }
    }
    EXPECT_EQ(marks(list), expected);
    EXPECT_GT(expected.count(true), 20);
}

TEST_F(MapCatalogueTest, ReloadsNeverMixTextsOfEarlierLoads)
{
    const QString longText = QStringLiteral("一个很长很长的名字 with a long tail of text");
    ASSERT_TRUE(writeCatalogue(
        catalogueFile,
        {row(0, "2024-01-03", longText + QStringLiteral("1"), QStringLiteral("/long1.w3x")),
         row(0, "2024-01-02", longText + QStringLiteral("2"), QStringLiteral("/long2.w3x")),
         row(0, "2024-01-01", longText + QStringLiteral("3"), QStringLiteral("/long3.w3x")),
         row(1, "2024-01-01", QStringLiteral("短"), QStringLiteral("/s.w3x")),
         row(2, "2024-01-02", QStringLiteral("b"), QString()),
         row(2, "2024-01-01", QStringLiteral("c"), QStringLiteral("/c.w3x"))}));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(0));
    const MapRecordList held = catalogue.records(); // a copy, as another part may keep one

    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(catalogue.LoadCategory(1));
        EXPECT_EQ(names(catalogue.records()), QStringList{QStringLiteral("短")});
        EXPECT_EQ(catalogue.records().at(0).Down_Link, QStringLiteral("/s.w3x"));
        EXPECT_EQ(catalogue.records().at(0).MapExplain, QStringLiteral("短 说明"));
        ASSERT_TRUE(catalogue.LoadCategory(2));
        EXPECT_EQ(names(catalogue.records()),
                  (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
        EXPECT_TRUE(catalogue.records().at(0).Down_Link.isEmpty());
        EXPECT_EQ(catalogue.records().at(1).Down_Link, QStringLiteral("/c.w3x"));
        ASSERT_TRUE(catalogue.LoadCategory(0));
        EXPECT_EQ(names(catalogue.records()).join(u'|'),
                  QStringList({longText + u'1', longText + u'2', longText + u'3'}).join(u'|'));
    }
    EXPECT_EQ(names(held).join(u'|'),
              QStringList({longText + u'1', longText + u'2', longText + u'3'}).join(u'|'));
    EXPECT_EQ(held.at(2).Down_Link, QStringLiteral("/long3.w3x"));
}

TEST_F(MapCatalogueTest, ToolsAreLookedForInTheToolsFolderAndMapsBelowTheGame)
{
    setDefaultPaths();
    ASSERT_TRUE(writeCatalogue(
        catalogueFile,
        {row(4, "2024-01-02", QStringLiteral("tool in maps folder"), QStringLiteral("/t1.zip")),
         row(4, "2024-01-01", QStringLiteral("tool in tools folder"), QStringLiteral("/t2.zip")),
         row(3, "2024-01-03", QStringLiteral("map in maps folder"), QStringLiteral("/m1.w3x")),
         row(3, "2024-01-02", QStringLiteral("map in tools folder"), QStringLiteral("/m2.w3x")),
         row(3, "2024-01-01", QStringLiteral("map beside the game"), QStringLiteral("/m3.w3x"))}));
    touchFile(mapsFolder() + QStringLiteral("/t1.zip"));
    touchFile(mapsFolder() + QStringLiteral("/m1.w3x"));
    touchFile(toolsFolder() + QStringLiteral("/t2.zip"));
    touchFile(toolsFolder() + QStringLiteral("/m2.w3x"));
    touchFile(gameFolder() + QStringLiteral("/m3.w3x"));
    MapCatalogue catalogue;

    ASSERT_TRUE(catalogue.LoadCategory(4));
    EXPECT_EQ(marks(catalogue.records()), (QList<bool>{false, true}));
    ASSERT_TRUE(catalogue.LoadCategory(3));
    EXPECT_EQ(marks(catalogue.records()), (QList<bool>{true, false, false}));
}

TEST_F(MapCatalogueTest, AnEmptyPathSettingSkipsTheMarking)
{
    ASSERT_TRUE(writeCatalogue(
        catalogueFile, {row(0, "2024-01-01", QStringLiteral("map"), QStringLiteral("/m.w3x")),
                        row(4, "2024-01-01", QStringLiteral("tool"), QStringLiteral("/t.zip"))}));
    // Where an empty folder part would lead: the current folder and its Maps/NaloBox.
    touchFile(work.filePath(QStringLiteral("t.zip")));
    touchFile(work.filePath(QStringLiteral("Maps/NaloBox/m.w3x")));
    touchFile(mapsFolder() + QStringLiteral("/m.w3x"));
    setPath(QStringLiteral("War3"), QString());
    MapCatalogue catalogue;
    for (int category : {0, 4}) {
        ASSERT_TRUE(catalogue.LoadCategory(category));
        EXPECT_FALSE(catalogue.records().at(0).Downloaded) << category;
    }
    // A missing download folder marks nothing either.
    setDefaultPaths();
    QDir(mapsFolder()).removeRecursively();
    ASSERT_TRUE(catalogue.LoadCategory(0));
    EXPECT_FALSE(catalogue.records().at(0).Downloaded);
}

TEST_F(MapCatalogueTest, ColumnsAreFoundInAnyLetterCaseAndNullAndNumbersReadAsText)
{
    runSql(
        catalogueFile,
        QStringLiteral("create table ZarnMapDB (MAPTYPE INTEGER, updatetime TEXT, mapname, "
                       "MapExplain TEXT, pic_link TEXT, Down_Link TEXT, EXPLAINLINK TEXT);"
                       "insert into ZarnMapDB values (1, '2024', 1234, NULL, NULL, NULL, NULL);"));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(1));
    const MapRecord& record = catalogue.records().at(0);
    EXPECT_EQ(record.MapName, QStringLiteral("1234"));
    EXPECT_TRUE(record.MapExplain.isEmpty());
    EXPECT_TRUE(record.Pic_Link.isEmpty());
    EXPECT_TRUE(record.Down_Link.isEmpty());
    EXPECT_TRUE(record.ExplainLink.isEmpty());
    EXPECT_EQ(prompt.count(), 0);
}

TEST_F(MapCatalogueTest, FailingQueryAfterAGoodOneLeavesTheListAlone)
{
    ASSERT_TRUE(writeCatalogue(
        catalogueFile, {row(0, "2024-01-01", QStringLiteral("kept"), QStringLiteral("/k.w3x"))}));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(0));
    // The publisher replaces the table under the running program.
    runSql(catalogueFile, QStringLiteral("drop table ZarnMapDB;"));
    EXPECT_FALSE(catalogue.LoadCategory(0));
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("no such table: ZarnMapDB")});
    EXPECT_EQ(names(catalogue.records()), QStringList{QStringLiteral("kept")});
}

TEST_F(MapCatalogueTest, AMissingColumnFailsTheLoadWithOneBox)
{
    ASSERT_TRUE(writeCatalogue(
        catalogueFile, {row(0, "2024-01-01", QStringLiteral("kept"), QStringLiteral("/k.w3x"))}));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(0));
    runSql(catalogueFile,
           QStringLiteral("create table Narrow (Maptype INTEGER, UpdateTime TEXT, MapName TEXT);"
                          "insert into Narrow values (0, '2025', 'x'), (0, '2026', 'y');"
                          "drop table ZarnMapDB; alter table Narrow rename to ZarnMapDB;"));
    EXPECT_FALSE(catalogue.LoadCategory(0));
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("no such column: MapExplain")});
    EXPECT_EQ(names(catalogue.records()), QStringList{QStringLiteral("kept")});
}

TEST_F(MapCatalogueTest, WithoutACatalogueEveryLoadFailsWithABox)
{
    MapCatalogue catalogue;
    EXPECT_EQ(prompt.count(), 1);
    EXPECT_FALSE(catalogue.LoadCategory(0));
    EXPECT_FALSE(catalogue.LoadCategory(99));
    EXPECT_EQ(prompt.count(), 3);
    EXPECT_TRUE(catalogue.records().isEmpty());
}

TEST(MapRecordTest, FileNameIsTheLastPieceOfTheLink)
{
    const struct {
        const char* link;
        const char* name;
    } cases[] = {
        {"http://h/files/maps/abc.w3x", "abc.w3x"},
        {"abc.w3x", "abc.w3x"},
        {"http://h/files/dir/", "dir"},
        {"http://h/a.w3x?x=1", "a.w3x?x=1"},
        {"http://h/%E5%AE%88.w3x", "%E5%AE%88.w3x"},
        {"/", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        MapRecord record;
        record.Down_Link = QString::fromUtf8(c.link);
        EXPECT_EQ(record.fileName(), QString::fromUtf8(c.name)) << c.link;
    }
}

} // namespace
} // namespace verdane::test
