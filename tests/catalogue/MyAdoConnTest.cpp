#include "catalogue/MyAdoConn.h"
#include "catalogue/CatalogueFiles.h"
#include "catalogue/ScopedCurrentDir.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane::test {
namespace {

const QString catalogueFile = QStringLiteral("ZarnREZ.dat");

class MyAdoConnTest : public testing::Test {
protected:
    QTemporaryDir dir;
    ScopedCurrentDir cwd{dir.path()};
    FakePrompt prompt;

    QStringList shownTexts() const { return prompt.texts(); }
};

TEST_F(MyAdoConnTest, MissingFileIsReportedAtOpenAndAtEveryQueryAndNeverCreated)
{
    MyAdoConn conn;
    EXPECT_FALSE(conn.isOpen());
    ASSERT_EQ(prompt.count(), 1);
    EXPECT_EQ(prompt.messages().at(0).caption, QStringLiteral("Nalo友情提示"));
    EXPECT_EQ(prompt.messages().at(0).buttons, PromptButtons::Ok);
    EXPECT_EQ(prompt.messages().at(0).text, QStringLiteral("unable to open database file"));

    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(conn.ExecuteSql(QStringLiteral("select 1")), nullptr);
    EXPECT_EQ(prompt.count(), 3);
    EXPECT_EQ(prompt.texts().at(2), QStringLiteral("unable to open database file"));
    EXPECT_FALSE(QFile::exists(catalogueFile));
}

TEST_F(MyAdoConnTest, CatalogueBesideAnotherFolderIsNotFound)
{
    QTemporaryDir other;
    ASSERT_TRUE(writeCatalogue(other.filePath(catalogueFile), {}));
    MyAdoConn conn;
    EXPECT_FALSE(conn.isOpen());
    EXPECT_EQ(prompt.count(), 1);
}

TEST_F(MyAdoConnTest, FileThatIsNotADatabaseFailsAtOpen)
{
    touchFile(catalogueFile);
    QFile file(catalogueFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();

    MyAdoConn conn;
    EXPECT_FALSE(conn.isOpen());
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("file is not a database")});
}

TEST_F(MyAdoConnTest, MissingTableShowsSqliteTextAndYieldsNoResultSet)
{
    runSql(catalogueFile, QStringLiteral("create table Other (a TEXT);"));
    MyAdoConn conn;
    ASSERT_TRUE(conn.isOpen());
    EXPECT_EQ(prompt.count(), 0);
    EXPECT_EQ(conn.ExecuteSql(QStringLiteral("select * from ZarnMapDB")), nullptr);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("no such table: ZarnMapDB")});
}

TEST_F(MyAdoConnTest, FailedQueryAfterGoodOneReturnsThePreviousExhaustedSet)
{
    ASSERT_TRUE(
        writeCatalogue(catalogueFile, {{0, QStringLiteral("2024-01-01"), QStringLiteral("a")}}));
    MyAdoConn conn;
    const auto good = conn.ExecuteSql(QStringLiteral("select MapName from ZarnMapDB"));
    ASSERT_NE(good, nullptr);
    ASSERT_FALSE(good->IsEof());
    good->MoveNext();
    ASSERT_TRUE(good->IsEof());

    const auto failed = conn.ExecuteSql(QStringLiteral("select nonsense from nowhere"));
    EXPECT_EQ(failed, good);
    EXPECT_TRUE(failed->IsEof());
    EXPECT_EQ(prompt.count(), 1);
}

TEST_F(MyAdoConnTest, TheCatalogueIsNeverWritten)
{
    ASSERT_TRUE(writeCatalogue(catalogueFile, {}));
    MyAdoConn conn;
    EXPECT_EQ(conn.ExecuteSql(QStringLiteral("insert into ZarnMapDB (Maptype) values (1)")),
              nullptr);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("attempt to write a readonly database")});
}

TEST_F(MyAdoConnTest, ColumnsReadAsText)
{
    runSql(catalogueFile, QStringLiteral("create table T (name TEXT, number INTEGER, real REAL, "
                                         "missing TEXT, chinese TEXT);"
                                         "insert into T values ('x', 42, 1.5, NULL, '冰封王座');"
                                         "insert into T values (NULL, -7, NULL, '', 'y');"));
    MyAdoConn conn;
    const auto rows = conn.ExecuteSql(QStringLiteral("select * from T order by number desc"));
    ASSERT_NE(rows, nullptr);
    struct Expect {
        const char* column;
        QString first;
        QString second;
    };
    const Expect expected[] = {
        {"name", QStringLiteral("x"), QString()},
        {"number", QStringLiteral("42"), QStringLiteral("-7")},
        {"real", QStringLiteral("1.5"), QString()},
        {"missing", QString(), QString()},
        {"chinese", QStringLiteral("冰封王座"), QStringLiteral("y")},
    };
    // Twice, to see that MoveFirst rewinds a cursor that has been read to its end.
    for (int pass = 0; pass < 2; ++pass) {
        rows->MoveFirst();
        ASSERT_FALSE(rows->IsEof());
        for (const Expect& e : expected)
            EXPECT_EQ(rows->GetCollect(QString::fromLatin1(e.column)), e.first) << e.column;
        rows->MoveNext();
        ASSERT_FALSE(rows->IsEof());
        for (const Expect& e : expected)
            EXPECT_EQ(rows->GetCollect(QString::fromLatin1(e.column)), e.second) << e.column;
        EXPECT_TRUE(rows->GetCollect(QStringLiteral("missing")).isEmpty());
        rows->MoveNext();
        EXPECT_TRUE(rows->IsEof());
        rows->MoveNext();
        EXPECT_TRUE(rows->IsEof());
    }
    EXPECT_EQ(prompt.count(), 0);
    EXPECT_FALSE(rows->HasFailed());
}

TEST_F(MyAdoConnTest, UnknownColumnShowsTheBoxOnceAndEndsTheRows)
{
    runSql(catalogueFile,
           QStringLiteral("create table T (a TEXT); insert into T values ('1'), ('2');"));
    MyAdoConn conn;
    const auto rows = conn.ExecuteSql(QStringLiteral("select * from T"));
    ASSERT_NE(rows, nullptr);
    EXPECT_TRUE(rows->GetCollect(QStringLiteral("b")).isEmpty());
    EXPECT_TRUE(rows->HasFailed());
    EXPECT_TRUE(rows->IsEof());
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("no such column: b")});
}

TEST_F(MyAdoConnTest, ResultSetOutlivesItsConnection)
{
    runSql(catalogueFile,
           QStringLiteral("create table T (a TEXT); insert into T values ('1'), ('2');"));
    std::shared_ptr<RecordSet> rows;
    {
        MyAdoConn conn;
        rows = conn.ExecuteSql(QStringLiteral("select a from T"));
    }
    ASSERT_NE(rows, nullptr);
    rows->MoveNext();
    EXPECT_EQ(rows->GetCollect(QStringLiteral("a")), QStringLiteral("2"));
}

} // namespace
} // namespace verdane::test
