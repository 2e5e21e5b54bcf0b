#include "catalogue/MapCatalogue.h"
#include "catalogue/FileStamp.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/Files.h"
#include "support/StoredSettings.h"
#include "support/TempConfig.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>

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

// The names of the records, "*" after those marked downloaded.
QStringList shown(const CataloguePage& page)
{
    QStringList result;
    for (const MapRecord& record : page.records)
        result.append(record.MapName + (record.Downloaded ? QStringLiteral("*") : QString()));
    return result;
}

// The catalogue file lies in the current folder, a fresh temporary one.
class CatalogueTest : public testing::Test {
protected:
    ~CatalogueTest() override { QDir::setCurrent(previous); }
    QString maps() const { return work.filePath(QStringLiteral("w3/Maps/NaloBox/")); }
    // The whole category in one page.
    CataloguePage all(int category) { return catalogue.page(category, 0, 1000); }

    QString previous = QDir::currentPath();
    QTemporaryDir work;
    bool moved = QDir::setCurrent(work.path());
    TempConfig config;
    FakePrompt prompt;
    MapCatalogue catalogue;
};

// Each broken catalogue fails to open with SQLite's text after the file's name;
// the read right after the reported open gives no rows, the next one the same
// failure; the file stays as it was, or absent.
TEST_F(CatalogueTest, ABrokenCatalogueFailsAtOpenAndLaterReadsAndIsLeftAlone)
{
    const QString failed = QStringLiteral("无法打开地图数据库 ZarnREZ.dat：");
    const std::tuple<QByteArray, bool, QString> cases[] = {
        {{}, false, failed + "unable to open database file"}, // null: no file
        {QByteArray(4096, 'x'), false, failed + "file is not a database"},
        {"", false, QStringLiteral("无法读取地图数据库 ZarnREZ.dat：no such table: ZarnMapDB")},
        {{}, true, failed + "database is locked"}};
    for (const auto& [content, locked, text] : cases) {
        sqlite3* locker = nullptr;
        if (locked && writeCatalogue(DbFile, {})) {
            sqlite3_open(DbFile.toUtf8().constData(), &locker);
            sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr);
        } else if (!content.isNull()) {
            writeFile(DbFile, content);
        }
        const QByteArray before = readFile(DbFile);
        MapCatalogue broken;
        const std::optional<CatalogueError> opened = broken.open();
        QStringList texts{opened ? opened->text() : QString()};
        for (int read = 0; read < 2; ++read) {
            const CataloguePage page = broken.page(0, 0, 3);
            EXPECT_EQ(page.count, 0);
            texts.append(page.error ? page.error->text() : QString());
        }
        const QStringList expected =
            text.startsWith(failed) ? QStringList{text, {}, text} : QStringList{{}, text, text};
        EXPECT_EQ(texts, expected);
        EXPECT_EQ(QFile::exists(DbFile), locked || !content.isNull());
        EXPECT_EQ(readFile(DbFile), before);
        sqlite3_close(locker);
    }
    EXPECT_EQ(prompt.texts(), QStringList());
}

TEST_F(CatalogueTest, GivesACategoryNewestFirstAPageAtATime)
{
    ASSERT_TRUE(writeCatalogue(
        DbFile, {row(0, "2023-05-01", "b", "http://h/m.w3x"), row(1, "2030-01-01", "短", "/s"),
                 row(0, "2024-01-01 08:00", "a", "n"), row(0, "2022-12-31", "c", "x"),
                 row(2, "2", "b", ""), row(0, "2021", "d", "y")}));
    const CataloguePage other = all(1);
    ASSERT_EQ(other.records.size(), 1);
    const MapRecord& record = other.records[0];
    EXPECT_EQ((QStringList{record.MapName, record.MapExplain, record.Pic_Link, record.Down_Link,
                           record.ExplainLink, record.Down_Sha256}),
              (QStringList{"短", "短 说明", "http://p/p.svg", "/s", "http://e/e.html", ""}));
    QStringList pages;
    for (const qsizetype first : {0, 3, 4})
        pages << shown(catalogue.page(0, first, 3)).join(u',');
    EXPECT_EQ(pages, (QStringList{"a,b,c", "d", ""}));
    EXPECT_EQ(catalogue.page(0, 3, 3).count, 4);
    EXPECT_EQ(catalogue.page(99, 0, 3).count, 0) << "a category without rows";
    EXPECT_EQ(prompt.texts(), QStringList());
}

// Pages in the order of the category query itself, entries of the same time
// included, whether or not the catalogue has the index verdane-catalogue writes.
TEST_F(CatalogueTest, PagesFollowTheCategoryQueryWithOrWithoutTheIndex)
{
    QList<CatalogueRow> rows;
    for (int i = 0; i < 40; ++i)
        rows.append(row(i % 3 == 0 ? 1 : 0, QString::number(i % 5), QString::number(i), "/l"));
    for (const bool indexed : {false, true}) {
        ASSERT_TRUE(writeCatalogue(DbFile, rows, indexed));
        QStringList queried;
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        sqlite3_open(DbFile.toUtf8().constData(), &db);
        sqlite3_prepare_v2(db, MapCatalogue::categoryQuery(0).toUtf8().constData(), -1, &statement,
                           nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            queried << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, 2)));
        sqlite3_finalize(statement);
        sqlite3_close(db);
        QStringList paged;
        for (qsizetype first = 0; first < 30; first += 3)
            paged << shown(catalogue.page(0, first, 3));
        EXPECT_EQ(paged, queried) << indexed;
        EXPECT_EQ(queried.size(), 26);
    }
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
         row(0, "1", "dots", "/.."), row(4, "2", "tool in maps", "/a.w3x"),
         row(4, "1", "tool", "/t.zip")}));
    for (const char* file : {"a.w3x", "b.w3x", "守卫.w3x", "sub/deep.w3x", "pack/inner", "dir/x"})
        writeFile(maps() + QString::fromUtf8(file));
    writeFile(work.filePath(QStringLiteral("tools/t.zip")));
    EXPECT_EQ(shown(all(0)),
              (QStringList{"exact*", "other case", "same name, later", "cn*", "in a subfolder",
                           "folder*", "trailing slash*", "in tools", "dots"}));
    EXPECT_EQ(shown(all(4)), (QStringList{"tool in maps", "tool*"}));
    // An empty path setting marks nothing where an empty folder part would lead.
    ASSERT_TRUE(storePath(QStringLiteral("Tools"), {}));
    writeFile(work.filePath(QStringLiteral("t.zip")));
    EXPECT_EQ(shown(all(4)), (QStringList{"tool in maps", "tool"}));
    sql("drop table ZarnMapDB;");
    const CataloguePage failed = all(0);
    EXPECT_EQ(failed.count, 0);
    EXPECT_EQ(failed.error->text(),
              QStringLiteral("无法读取地图数据库 ZarnREZ.dat：no such table: ZarnMapDB"));
}

// A file marks the first entry of its name in the whole category, on whichever
// page that entry is; the same name on a later page stays unmarked.
TEST_F(CatalogueTest, DuplicateNamesAcrossPagesMarkOnlyTheFirst)
{
    ASSERT_TRUE(storePath(QStringLiteral("War3"), work.filePath(QStringLiteral("w3/War3.exe"))));
    QList<CatalogueRow> rows;
    for (int i = 0; i < 9; ++i) // newest first: 8, 7, ... 0
        rows.append(row(0, QString::number(i), QString::number(i),
                        i == 1 || i == 7 ? "/d/same.w3x" : QStringLiteral("/%1.w3x").arg(i)));
    ASSERT_TRUE(writeCatalogue(DbFile, rows));
    writeFile(maps() + "same.w3x");
    QStringList pages;
    for (const qsizetype first : {6, 0, 3})
        pages << shown(catalogue.page(0, first, 3)).join(u',');
    EXPECT_EQ(pages, (QStringList{"2,1,0", "8,7*,6", "5,4,3"}));
}

// Every read shows the catalogue and the folder as they are then. The files
// are left to settle first, so the reads before a change have what they built
// kept and only the change can tell them to read again.
TEST_F(CatalogueTest, EachReadShowsTheCatalogueAndTheFolderAsTheyAreThen)
{
    ASSERT_TRUE(storePath(QStringLiteral("War3"), work.filePath(QStringLiteral("w3/War3.exe"))));
    ASSERT_TRUE(writeCatalogue(DbFile, {row(0, "3", "c", "/c.w3x"), row(0, "2", "b", "/b.w3x"),
                                        row(0, "1", "a", "/a.w3x")}));
    writeFile(maps() + "b.w3x");
    ASSERT_TRUE(waitUntil(
        [&] { return FileStamp::of(DbFile).settled() && FileStamp::of(maps()).settled(); }));
    const auto page = [&] {
        const CataloguePage read = catalogue.page(0, 0, 3);
        return shown(read).join(u',') + QStringLiteral(" of %1").arg(read.count);
    };
    EXPECT_EQ(page(), "c,b*,a of 3");
    EXPECT_EQ(page(), "c,b*,a of 3");
    const QString replacement = work.filePath(QStringLiteral("new.dat"));
    const struct {
        std::function<void()> change;
        QString then;
    } cases[] = {
        {[&] { writeFile(maps() + "a.w3x"); }, "c,b*,a* of 3"},
        {[&] { sql("insert into ZarnMapDB values (0, '4', 'd', '', '', '/d.w3x', '');"); },
         "d,c,b* of 4"},
        {[&] { QFile::remove(maps() + "b.w3x"); }, "d,c,b of 4"},
        {[&] {
             writeCatalogue(replacement, {row(0, "5", "e", "/a.w3x")});
             std::rename(QFile::encodeName(replacement).constData(), DbFile.toUtf8().constData());
         },
         "e* of 1"},
    };
    for (const auto& [change, then] : cases) {
        change();
        EXPECT_EQ(page(), then);
    }
    EXPECT_EQ(prompt.texts(), QStringList());
}

} // namespace
} // namespace verdane::test
