#include "catalogue/MapCatalogue.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <functional>
#include <string_view>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// Each broken catalogue file gives one box at start, in the user's language,
// naming the file, with SQLite's text after it; the file stays as it was.
TEST(BrokenCatalogueTest, EachFailureShowsOneBoxNamingTheFileAndLeavesItAlone)
{
    const QString open = u"无法打开地图数据库 ZarnREZ.dat："_s;
    const QString read = u"无法读取地图数据库 ZarnREZ.dat："_s;
    sqlite3* locker = nullptr;
    const struct {
        const char* name;
        std::function<void(const QString&)> make;
        QString text;
    } cases[] = {
        {"missing", [](const QString&) {}, open + u"unable to open database file"_s},
        {"empty", [](const QString& file) { test::writeFile(file, {}); },
         read + u"no such table: ZarnMapDB"_s},
        {"corrupt", [](const QString& file) { test::writeFile(file, QByteArray(4096, 'x')); },
         open + u"file is not a database"_s},
        {"no table",
         [](const QString& file) {
             test::writeCatalogue(file, {});
             sqlite3* db = nullptr;
             sqlite3_open(QFile::encodeName(file).constData(), &db);
             sqlite3_exec(db, "drop table ZarnMapDB", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         },
         read + u"no such table: ZarnMapDB"_s},
        {"locked",
         [&locker](const QString& file) {
             test::writeCatalogue(file, {{0, u"2026"_s, u"map"_s}});
             sqlite3_open(QFile::encodeName(file).constData(), &locker);
             sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr);
         },
         open + u"database is locked"_s},
    };
    const QString previous = QDir::currentPath();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir work;
        const QString file = work.filePath(u"ZarnREZ.dat"_s);
        c.make(file);
        const QByteArray before = test::readFile(file);
        QDir::setCurrent(work.path());
        test::FakePrompt prompt;
        {
            MapCatalogue catalogue;
            EXPECT_FALSE(catalogue.LoadCategory(0));
        }
        EXPECT_EQ(prompt.texts(), QStringList{c.text});
        EXPECT_EQ(test::readFile(file), before);
        EXPECT_EQ(QFile::exists(file), c.name != std::string_view("missing"));
        sqlite3_close(locker);
        locker = nullptr;
        QDir::setCurrent(previous);
    }
}

} // namespace
} // namespace verdane
