#include "catalogue/MapCatalogue.h"
#include "settings/SettingsStore.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace verdane::test {
namespace {

const QString dbFile = QStringLiteral("ZarnREZ.dat");
// What a box says before SQLite's text.
const QString openFailed = QStringLiteral("无法打开地图数据库 ZarnREZ.dat：");
const QString readFailed = QStringLiteral("无法读取地图数据库 ZarnREZ.dat：");

// Runs SQL on the catalogue file in the current folder, creating it when missing.
void sql(const char* text)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dbFile.toUtf8().constData(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, text, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << text;
}

void touch(const QString& path, const QByteArray& content = "demo")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

CatalogueRow row(int type, const QString& time, const QString& name, const QString& link)
{
    return {type, time, name, name + " 说明", "http://p/p.svg", link, "http://e/e.html"};
}

// The names of the list, "*" after those marked downloaded.
QStringList shown(const MapRecordList& list)
{
    QStringList result;
    for (const MapRecord& record : list)
        result.append(record.MapName + (record.Downloaded ? QStringLiteral("*") : QString()));
    return result;
}

// The catalogue file lies in the current folder, a fresh temporary one.
class CatalogueTest : public testing::Test {
protected:
    CatalogueTest() { QDir::setCurrent(work.path()); }
    ~CatalogueTest() override { QDir::setCurrent(previous); }

    void write(const QList<CatalogueRow>& rows) { ASSERT_TRUE(writeCatalogue(dbFile, rows)); }
    QString game() const { return work.filePath(QStringLiteral("w3/")); }
    QString maps() const { return game() + QStringLiteral("Maps/NaloBox/"); }
    QString tools() const { return work.filePath(QStringLiteral("tools/")); }
    void setPaths(const QString& gameExe, const QString& toolsFolder)
    {
        for (const auto& [key, value] : {std::pair{QStringLiteral("War3"), gameExe},
                                         std::pair{QStringLiteral("Tools"), toolsFolder}})
            ASSERT_TRUE(SettingsStore().WriteSetting(SettingsRoot::LocalMachine, programSubkey(key),
                                                     QStringLiteral("ClientPath"), value));
    }
    void setPaths() { setPaths(game() + QStringLiteral("War3.exe"), tools()); }

    QString previous = QDir::currentPath();
    QTemporaryDir work;
    TempConfig config;
    FakePrompt prompt;
};

TEST_F(CatalogueTest, AnUnopenableCatalogueIsShownAtOpenButNotAgainByTheFirstQuery)
{
    const struct {
        QByteArray content; // null: no file
        QString text;
    } cases[] = {{{}, openFailed + QStringLiteral("unable to open database file")},
                 {QByteArray(4096, 'x'), openFailed + QStringLiteral("file is not a database")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        prompt.clear();
        if (!c.content.isNull())
            touch(dbFile, c.content);
        MyAdoConn conn;
        EXPECT_FALSE(conn.isOpen());
        EXPECT_EQ(conn.ExecuteSql(QStringLiteral("select 1")), nullptr);
        MapCatalogue catalogue;
        EXPECT_FALSE(catalogue.LoadCategory(0));
        EXPECT_TRUE(catalogue.records().isEmpty());
        EXPECT_EQ(prompt.texts(), QStringList(2, c.text));
        EXPECT_EQ(prompt.messages().at(0).caption, QStringLiteral("Nalo友情提示"));
        EXPECT_EQ(prompt.messages().at(0).buttons, PromptButtons::Ok);
        EXPECT_EQ(QFile(dbFile).size(), c.content.size());
    }
}

TEST_F(CatalogueTest, AFailedQueryShowsItsTextAndGivesThePreviousResultSet)
{
    sql("create table T (a TEXT); insert into T values ('1');");
    MyAdoConn conn;
    ASSERT_TRUE(conn.isOpen());
    EXPECT_EQ(conn.ExecuteSql(QStringLiteral("select * from ZarnMapDB")), nullptr);
    EXPECT_EQ(conn.ExecuteSql(QStringLiteral("insert into T values ('2')")), nullptr);
    const auto good = conn.ExecuteSql(QStringLiteral("select a from T"));
    ASSERT_NE(good, nullptr);
    good->MoveNext();
    ASSERT_TRUE(good->IsEof());
    const auto failed = conn.ExecuteSql(QStringLiteral("select b from T"));
    EXPECT_EQ(failed, good);
    EXPECT_TRUE(failed->IsEof());
    EXPECT_EQ(prompt.texts(), (QStringList{readFailed + "no such table: ZarnMapDB",
                                           readFailed + "attempt to write a readonly database",
                                           readFailed + "no such column: b"}));
}

TEST_F(CatalogueTest, TheCursorReadsTextRewindsAndOutlivesItsConnection)
{
    sql("create table T (name TEXT, number INTEGER, real REAL, missing TEXT, chinese TEXT);"
        "insert into T values ('x', 42, 1.5, NULL, '冰封王座'), (NULL, -7, NULL, '', 'y');");
    std::shared_ptr<RecordSet> rows;
    {
        MyAdoConn conn;
        rows = conn.ExecuteSql(QStringLiteral("select * from T order by number desc"));
    }
    ASSERT_NE(rows, nullptr);
    const QStringList columns{"name", "NUMBER", "real", "missing", "chinese"};
    const QStringList expected[] = {{"x", "42", "1.5", "", "冰封王座"}, {"", "-7", "", "", "y"}};
    for (int pass = 0; pass < 2; ++pass) {
        rows->MoveFirst();
        for (const QStringList& values : expected) {
            ASSERT_FALSE(rows->IsEof());
            QStringList read;
            for (const QString& column : columns)
                read.append(rows->GetCollect(column));
            EXPECT_EQ(read, values);
            rows->MoveNext();
        }
        EXPECT_TRUE(rows->IsEof());
    }
    EXPECT_EQ(prompt.count(), 0);
    rows->MoveFirst();
    EXPECT_TRUE(rows->GetCollect(QStringLiteral("b")).isEmpty());
    EXPECT_TRUE(rows->HasFailed());
    EXPECT_TRUE(rows->IsEof());
    EXPECT_EQ(prompt.texts(), QStringList{readFailed + "no such column: b"});
}

TEST_F(CatalogueTest, LoadsOneCategoryNewestFirstWithAllFields)
{
    write({row(0, "2023-05-01", "middle", "http://h/m.w3x"), row(1, "2030-01-01", "other", "o"),
           row(0, "2024-01-01 08:00", "newest", "n"), row(0, "2022-12-31", "oldest", "x"),
           row(0, "2024-01-01 07:59", "second", "s")});
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(0));
    EXPECT_EQ(shown(catalogue.records()), (QStringList{"newest", "second", "middle", "oldest"}));
    const MapRecord& middle = catalogue.records().at(2);
    EXPECT_EQ(
        QStringList({middle.MapExplain, middle.Down_Link, middle.Pic_Link, middle.ExplainLink}),
        (QStringList{"middle 说明", "http://h/m.w3x", "http://p/p.svg", "http://e/e.html"}));
    ASSERT_TRUE(catalogue.LoadCategory(1));
    EXPECT_EQ(shown(catalogue.records()), QStringList{"other"});
    EXPECT_EQ(prompt.count(), 0);
}

// Each load reuses the storage of the list before: no text may leak between them.
TEST_F(CatalogueTest, ReloadsNeverMixTextsOfEarlierLoads)
{
    const QString tail = QStringLiteral("一个很长很长的名字 with a long tail of text");
    const QStringList longNames{tail + u'1', tail + u'2', tail + u'3'};
    write({row(0, "3", longNames[0], "/l1"), row(0, "2", longNames[1], "/l2"),
           row(0, "1", longNames[2], "/l3"), row(1, "1", "短", "/s"), row(2, "2", "b", ""),
           row(2, "1", "c", "/c")});
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(0));
    const MapRecordList held = catalogue.records();
    const auto texts = [&] {
        QStringList all;
        for (const MapRecord& r : catalogue.records())
            all << r.MapName << r.MapExplain << r.Down_Link;
        return all;
    };
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(catalogue.LoadCategory(1));
        EXPECT_EQ(texts(), (QStringList{"短", "短 说明", "/s"}));
        ASSERT_TRUE(catalogue.LoadCategory(2));
        EXPECT_EQ(texts(), (QStringList{"b", "b 说明", "", "c", "c 说明", "/c"}));
        ASSERT_TRUE(catalogue.LoadCategory(0));
        EXPECT_EQ(shown(catalogue.records()), longNames);
    }
    EXPECT_EQ(shown(held), longNames);
    EXPECT_EQ(held.at(2).Down_Link, QStringLiteral("/l3"));
}

TEST_F(CatalogueTest, ACategoryWithoutRowsKeepsThePreviousListAndMarks)
{
    setPaths();
    touch(maps() + QStringLiteral("b.w3x"));
    write({row(2, "2024-01-02", "a", "/a.w3x"), row(2, "2024-01-01", "b", "/b.w3x")});
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(2));
    catalogue.records()[0].Downloaded = true; // as after a download
    for (int empty : {99, 4, -1}) {
        EXPECT_FALSE(catalogue.LoadCategory(empty)) << empty;
        EXPECT_EQ(shown(catalogue.records()), (QStringList{"a*", "b*"}));
    }
    EXPECT_EQ(prompt.count(), 0);
}

TEST_F(CatalogueTest, MarksExactNamesInTheCategorysFolderOnlyAndTheFirstRecordOfEachName)
{
    setPaths();
    write(
        {row(0, "9", "exact", "http://h/f/a.w3x"), row(0, "8", "other case", "http://h/B.w3x"),
         row(0, "7", "same name, later", "http://x/a.w3x"), row(0, "6", "cn", "http://h/守卫.w3x"),
         row(0, "5", "in a subfolder", "http://h/deep.w3x"), row(0, "4", "folder", "http://h/pack"),
         row(0, "3", "no slash", "plain.w3x"), row(0, "2", "trailing slash", "http://h/dir/"),
         row(0, "1", "in tools", "/t.zip"), row(0, "0", "beside the game", "/g.w3x"),
         row(4, "2", "tool in maps", "/a.w3x"), row(4, "1", "tool", "/t.zip")});
    for (const char* file : {"a.w3x", "b.w3x", "守卫.w3x", "sub/deep.w3x", "pack/inner",
                             "plain.w3x", "dir/x", "A.W3X", ".hidden"})
        touch(maps() + QString::fromUtf8(file));
    touch(tools() + "t.zip");
    touch(game() + "g.w3x");
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(0));
    EXPECT_EQ(
        shown(catalogue.records()),
        (QStringList{"exact*", "other case", "same name, later", "cn*", "in a subfolder", "folder*",
                     "no slash*", "trailing slash*", "in tools", "beside the game"}));
    ASSERT_TRUE(catalogue.LoadCategory(4));
    EXPECT_EQ(shown(catalogue.records()), (QStringList{"tool in maps", "tool*"}));
}

// At scale, with many entries sharing a name: the marks of a plain walk of the list per file.
TEST_F(CatalogueTest, MarksAgreeWithAWalkOfTheWholeListForEveryFile)
{
    setPaths();
    QList<CatalogueRow> rows;
    for (int i = 0; i < 600; ++i)
        rows.append(row(5, QString::number(10000 - i), QString::number(i),
                        QStringLiteral("http://h/%1/m%2.w3x").arg(i % 3).arg(i * 37 % 250)));
    write(rows);
    for (int i = 0; i < 400; i += 3)
        touch(maps() + QStringLiteral("m%1.w3x").arg(i));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(5));
    ASSERT_EQ(catalogue.records().count(), 600);
    QSet<int> seen;
    int marked = 0;
    for (const MapRecord& record : catalogue.records()) {
        const int n = record.MapName.toInt() * 37 % 250;
        const bool expected = n % 3 == 0 && !seen.contains(n);
        seen.insert(n);
        EXPECT_EQ(record.Downloaded, expected) << record.MapName.toStdString();
        marked += expected;
    }
    EXPECT_GT(marked, 20);
}

TEST_F(CatalogueTest, AnEmptyPathSettingOrAMissingFolderMarksNothing)
{
    write({row(0, "1", "map", "/m.w3x"), row(4, "1", "tool", "/t.zip")});
    // Where an empty folder part would lead: the current folder and its Maps/NaloBox.
    for (const char* file : {"t.zip", "Maps/NaloBox/m.w3x", "w3/Maps/NaloBox/m.w3x"})
        touch(work.filePath(QString::fromUtf8(file)));
    setPaths({}, {});
    MapCatalogue catalogue;
    for (int category : {0, 4}) {
        ASSERT_TRUE(catalogue.LoadCategory(category));
        EXPECT_FALSE(catalogue.records().at(0).Downloaded) << category;
    }
    setPaths();
    QDir(maps()).removeRecursively();
    ASSERT_TRUE(catalogue.LoadCategory(0));
    EXPECT_FALSE(catalogue.records().at(0).Downloaded);
}

TEST_F(CatalogueTest, AFailingLoadAfterAGoodOneShowsOneBoxAndKeepsTheList)
{
    const struct {
        const char* change; // made by the publisher under the running program
        const char* text;
    } cases[] = {
        {"drop table ZarnMapDB;", "no such table: ZarnMapDB"},
        {"create table N (Maptype INTEGER, UpdateTime TEXT, MapName TEXT);"
         "insert into N values (0, '2025', 'x'), (0, '2026', 'y');"
         "drop table ZarnMapDB; alter table N rename to ZarnMapDB;",
         "no such column: MapExplain"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        prompt.clear();
        write({row(0, "2024-01-01", "kept", "/k.w3x")});
        MapCatalogue catalogue;
        ASSERT_TRUE(catalogue.LoadCategory(0));
        sql(c.change);
        EXPECT_FALSE(catalogue.LoadCategory(0));
        EXPECT_EQ(prompt.texts(), QStringList{readFailed + QString::fromUtf8(c.text)});
        EXPECT_EQ(shown(catalogue.records()), QStringList{"kept"});
    }
}

TEST(MapRecordTest, FileNameIsTheLastPieceOfTheLink)
{
    const char* const cases[][2] = {
        {"http://h/files/maps/abc.w3x", "abc.w3x"},
        {"abc.w3x", "abc.w3x"},
        {"http://h/dir/", "dir"},
        {"http://h/a.w3x?x=1", "a.w3x?x=1"},
        {"http://h/%E5.w3x", "%E5.w3x"},
        {"/", ""},
        {"", ""},
    };
    for (const auto& [link, name] : cases) {
        MapRecord record;
        record.Down_Link = QString::fromUtf8(link);
        EXPECT_EQ(record.fileName(), QString::fromUtf8(name)) << link;
    }
}

} // namespace
} // namespace verdane::test
