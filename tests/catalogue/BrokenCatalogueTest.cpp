#include "catalogue/MapCatalogue.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/Files.h"
#include "support/PrintQString.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// Each broken catalogue gives one box at start naming the file, with SQLite's
// text after it, and the file stays as it was.
TEST(BrokenCatalogueTest, EachFailureShowsOneBoxNamingTheFileAndLeavesItAlone)
{
    const QString open = u"无法打开地图数据库 ZarnREZ.dat："_s;
    const struct {
        QByteArray content; // null: no file
        bool locked;
        QString text;
    } cases[] = {
        {{}, false, open + u"unable to open database file"_s},
        {"", false, u"无法读取地图数据库 ZarnREZ.dat：no such table: ZarnMapDB"_s},
        {QByteArray(4096, 'x'), false, open + u"file is not a database"_s},
        {{}, true, open + u"database is locked"_s},
    };
    const QString previous = QDir::currentPath();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QTemporaryDir work;
        QDir::setCurrent(work.path());
        sqlite3* locker = nullptr;
        if (c.locked && test::writeCatalogue(u"ZarnREZ.dat"_s, {})) {
            sqlite3_open("ZarnREZ.dat", &locker);
            sqlite3_exec(locker, "begin exclusive", nullptr, nullptr, nullptr);
        } else if (!c.content.isNull()) {
            test::writeFile(u"ZarnREZ.dat"_s, c.content);
        }
        const QByteArray before = test::readFile(u"ZarnREZ.dat"_s);
        test::FakePrompt prompt;
        EXPECT_FALSE(MapCatalogue().LoadCategory(0));
        EXPECT_EQ(prompt.texts(), QStringList{c.text});
        EXPECT_EQ(test::readFile(u"ZarnREZ.dat"_s), before);
        sqlite3_close(locker);
        QDir::setCurrent(previous);
    }
}

} // namespace
} // namespace verdane
