#include "catalogue/MapCatalogue.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/Files.h"
#include "support/StoredSettings.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace verdane::test {
namespace {

const QString DbFile = QStringLiteral("ZarnREZ.dat");

// Runs SQL on the catalogue file in the current folder.
void sql(const char* text)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(DbFile.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, text, nullptr, nullptr, nullptr), SQLITE_OK) << text;
    sqlite3_close(db);
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
    QString maps() const { return work.filePath(QStringLiteral("w3/Maps/NaloBox/")); }

    QString previous = QDir::currentPath();
    QTemporaryDir work;
    TempConfig config;
    FakePrompt prompt;
};

// Each broken catalogue gives a box naming the file, with SQLite's text after
// it, at open and at the next query; the file stays as it was, or absent.
TEST_F(CatalogueTest, ABrokenCatalogueIsShownAtOpenAndLaterQueriesAndLeftAlone)
{
    const QString failed = QStringLiteral("无法打开地图数据库 ZarnREZ.dat：");
    const std::tuple<QByteArray, bool, QString> cases[] = {
        {{}, false, failed + "unable to open database file"}, // null: no file
        {QByteArray(4096, 'x'), false, failed + "file is not a database"},
        {"", false, QStringLiteral("无法读取地图数据库 ZarnREZ.dat：no such table: ZarnMapDB")},
        {{}, true, failed + "database is locked"}};
    for (const auto& [content, locked, text] : cases) {
        prompt.clear();
        sqlite3* locker = nullptr;
        if (locked && writeCatalogue(DbFile, {})) {
            sqlite3_open(DbFile.toUtf8().constData(), &locker);
            sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr);
        } else if (!content.isNull()) {
            writeFile(DbFile, content);
        }
        const QByteArray before = readFile(DbFile);
        MapCatalogue catalogue;
        EXPECT_FALSE(catalogue.loadCategory(0) || catalogue.loadCategory(1));
        EXPECT_EQ(prompt.texts(), QStringList(2, text));
        EXPECT_EQ(QFile::exists(DbFile), locked || !content.isNull());
        EXPECT_EQ(readFile(DbFile), before);
        sqlite3_close(locker);
    }
}

TEST_F(CatalogueTest, LoadsOneCategoryNewestFirstAndReloadsNeverMixTexts)
{
    const QString tail = QStringLiteral("一个很长很长的名字 with a long tail of text");
    const QStringList longNames{tail + "1", tail + "2", tail + "3"};
    ASSERT_TRUE(writeCatalogue(
        DbFile, {row(0, "2023-05-01", longNames[1], "http://h/m.w3x"),
                 row(1, "2030-01-01", "短", "/s"), row(0, "2024-01-01 08:00", longNames[0], "n"),
                 row(0, "2022-12-31", longNames[2], "x"), row(2, "2", "b", "")}));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.loadCategory(0));
    const MapRecordList held = catalogue.records();
    const auto texts = [&] {
        QStringList all;
        for (const MapRecord& r : catalogue.records())
            all << r.MapName << r.MapExplain << r.Pic_Link << r.Down_Link << r.ExplainLink;
        return all;
    };
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(catalogue.loadCategory(1));
        EXPECT_EQ(texts(),
                  (QStringList{"短", "短 说明", "http://p/p.svg", "/s", "http://e/e.html"}));
        ASSERT_TRUE(catalogue.loadCategory(2));
        EXPECT_EQ(texts().at(3), QString());
        ASSERT_TRUE(catalogue.loadCategory(0));
        EXPECT_EQ(shown(catalogue.records()), longNames);
    }
    EXPECT_EQ(shown(held), longNames);
    EXPECT_EQ(prompt.texts(), QStringList());
}

TEST_F(CatalogueTest, MarksExactNamesInTheCategorysFolderOnlyAndTheFirstRecordOfEachName)
{
    ASSERT_TRUE(storePath(QStringLiteral("War3"), work.filePath(QStringLiteral("w3/War3.exe"))));
    ASSERT_TRUE(storePath(QStringLiteral("Tools"), work.filePath(QStringLiteral("tools"))));
    ASSERT_TRUE(writeCatalogue(
        DbFile,
        {row(0, "9", "exact", "http://h/f/a.w3x"), row(0, "8", "other case", "http://h/B.w3x"),
         row(0, "7", "same name, later", "http://x/a.w3x"), row(0, "6", "cn", "http://h/守卫.w3x"),
         row(0, "5", "in a subfolder", "http://h/deep.w3x"), row(0, "4", "folder", "http://h/pack"),
         row(0, "3", "trailing slash", "http://h/dir/"), row(0, "2", "in tools", "/t.zip"),
         row(4, "2", "tool in maps", "/a.w3x"), row(4, "1", "tool", "/t.zip")}));
    for (const char* file : {"a.w3x", "b.w3x", "守卫.w3x", "sub/deep.w3x", "pack/inner", "dir/x"})
        writeFile(maps() + QString::fromUtf8(file));
    writeFile(work.filePath(QStringLiteral("tools/t.zip")));
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.loadCategory(0));
    EXPECT_EQ(shown(catalogue.records()),
              (QStringList{"exact*", "other case", "same name, later", "cn*", "in a subfolder",
                           "folder*", "trailing slash*", "in tools"}));
    ASSERT_TRUE(catalogue.loadCategory(4)); // reuses the records marked above
    EXPECT_EQ(shown(catalogue.records()), (QStringList{"tool in maps", "tool*"}));
    // An empty path setting marks nothing where an empty folder part would lead.
    ASSERT_TRUE(storePath(QStringLiteral("Tools"), {}));
    writeFile(work.filePath(QStringLiteral("t.zip")));
    ASSERT_TRUE(catalogue.loadCategory(4));
    // A category without rows, or a query that fails, keeps the list.
    EXPECT_FALSE(catalogue.loadCategory(99));
    sql("drop table ZarnMapDB;");
    EXPECT_FALSE(catalogue.loadCategory(0));
    EXPECT_EQ(shown(catalogue.records()), (QStringList{"tool in maps", "tool"}));
    EXPECT_EQ(prompt.texts(),
              QStringList{"无法读取地图数据库 ZarnREZ.dat：no such table: ZarnMapDB"});
}

} // namespace
} // namespace verdane::test
