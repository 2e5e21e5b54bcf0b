#include "catalogue/MapCatalogue.h"
#include "catalogue/FileStamp.h"
#include "support/CatalogueFile.h"
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

    QString previous = QDir::currentPath();
    QTemporaryDir work;
    bool moved = QDir::setCurrent(work.path());
    TempConfig config;
    MapCatalogue catalogue;
};

// Each broken catalogue fails to open with SQLite's text after the file's name;
// the read right after the reported open gives no rows, the next one the same
// failure; a missing file stays missing.
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
        MapCatalogue broken;
        const std::optional<CatalogueError> opened = broken.open();
        QStringList texts{opened ? opened->text() : QString()};
        for (const CataloguePage& page : {broken.page(0, 0, 3), broken.page(0, 0, 3)})
            texts.append(page.error && page.count == 0 ? page.error->text() : QString());
        EXPECT_EQ(texts, text.startsWith(failed) ? (QStringList{text, {}, text})
                                                 : (QStringList{{}, text, text}));
        EXPECT_EQ(QFile::exists(DbFile), locked || !content.isNull());
        sqlite3_close(locker);
    }
}

// A file marks the first entry of its name in the whole category, on whichever
// page that entry is; the same name later stays unmarked, also on a page of its own.
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
    EXPECT_EQ(shown(catalogue.page(0, 2, 3)),
              (QStringList{"same name, later", "cn*", "in a subfolder"}));
    EXPECT_EQ(shown(catalogue.page(0, 0, 99)),
              (QStringList{"exact*", "other case", "same name, later", "cn*", "in a subfolder",
                           "folder*", "trailing slash*", "in tools", "dots"}));
    EXPECT_EQ(shown(catalogue.page(4, 0, 99)), (QStringList{"tool in maps", "tool*"}));
    // An empty path setting marks nothing where an empty folder part would lead.
    ASSERT_TRUE(storePath(QStringLiteral("Tools"), {}));
    writeFile(work.filePath(QStringLiteral("t.zip")));
    EXPECT_EQ(shown(catalogue.page(4, 0, 99)), (QStringList{"tool in maps", "tool"}));
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
    writeFile(maps() + "a.w3x");
    EXPECT_EQ(page(), "c,b*,a* of 3") << "a file added";
    sqlite3* db = nullptr;
    sqlite3_open(DbFile.toUtf8().constData(), &db);
    sqlite3_exec(db, "insert into ZarnMapDB values (0, '4', 'd', '', '', '/d.w3x', '')", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(page(), "d,c,b* of 4") << "an entry written in place";
    QFile::remove(maps() + "b.w3x");
    EXPECT_EQ(page(), "d,c,b of 4") << "a file removed";
    writeCatalogue(QStringLiteral("new.dat"), {row(0, "5", "e", "/a.w3x")});
    std::rename("new.dat", "ZarnREZ.dat");
    EXPECT_EQ(page(), "e* of 1") << "the catalogue replaced";
}

} // namespace
} // namespace verdane::test
