#include "catalogue/MapCatalogue.h"
#include "common/Cp936.h"
#include "support/FakePrompt.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane::test {
namespace {

const QByteArray header =
    "Maptype\tUpdateTime\tMapName\tMapExplain\tPic_Link\tDown_Link\tExplainLink\n";

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral(VERDANE_CATALOGUE_TOOL), args);
    if (!tool.waitForFinished(20000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
}

class CatalogueToolTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString source = dir.filePath(QStringLiteral("source.tsv"));
    QString target = dir.filePath(QStringLiteral("ZarnREZ.dat"));
    FakePrompt prompt;
};

TEST_F(CatalogueToolTest, BuildsACatalogueTheProgramReadsInItsOrder)
{
    writeFile(source, "# a comment\n\n" + header +
                          "0\t2024-01-02\t旧图\t说明\thttp://{server}/p.svg\thttp://{server}/f/"
                          "old.w3x\thttp://{server}/e.html\r\n"
                          "0\t2024-03-01 10:00\t新图\t\tp\thttp://{server}/f/新.w3x\thttp://x/e\n"
                          "4\t2024-02-01 09:30:15\t工具\t好用\tp\tt.zip\te\n");
    ToolRun run = runTool({"build", source, target, "--server", "example.org:81"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    run = runTool({"list", target, "0"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString::fromUtf8(header) +
                           QStringLiteral("0\t2024-03-01 10:00\t新图\t\tp\t"
                                          "http://example.org:81/f/新.w3x\thttp://x/e\n"
                                          "0\t2024-01-02\t旧图\t说明\thttp://example.org:81/p.svg\t"
                                          "http://example.org:81/f/old.w3x\t"
                                          "http://example.org:81/e.html\n"));
    run = runTool({"list", target, "7"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QString::fromUtf8(header));

    MapCatalogue catalogue(target);
    ASSERT_TRUE(catalogue.LoadCategory(4));
    EXPECT_EQ(catalogue.records().at(0).MapName, QStringLiteral("工具"));
    EXPECT_EQ(prompt.count(), 0);
}

TEST_F(CatalogueToolTest, BadLinesAreNamedAndTheOldCatalogueStays)
{
    writeFile(source, header + "1\t2024-01-01\told\tx\tp\thttp://h/old.w3x\te\n");
    ASSERT_EQ(runTool({"build", source, target}).status, 0);
    const QByteArray before = readFile(target);
    ASSERT_FALSE(before.isEmpty());

    const struct {
        QByteArray content;
        const char* message;
    } cases[] = {
        {header + "1\t2024-01-01\tok\tx\tp\th/a\te\n1\t2024-01-01\tshort\tp\th/b\te\n",
         ":3: 6 fields, expected 7"},
        {header + "one\t2024-01-01\tname\tx\tp\th/a\te\n",
         ":2: Maptype \"one\" is not a whole number"},
        {header + "1\t01/02/2024\tname\tx\tp\th/a\te\n", ":2: UpdateTime \"01/02/2024\""},
        {header + "1\t2024-02-30\tname\tx\tp\th/a\te\n", ":2: UpdateTime \"2024-02-30\""},
        {header + "1\t2024-01-01\t \tx\tp\th/a\te\n", ":2: MapName is empty"},
        {header + "1\t2024-01-01\tname\tx\tp\thttp://h//\te\n",
         ":2: Down_Link \"http://h//\" names no file"},
        {header + "\n1\t2024-01-01\tna\xff\tx\tp\th/a\te\n", ":3: not UTF-8 text"},
        {"Maptype\tUpdateTime\tMapName\tMapExplain\tPic_Link\tDown_Link\n",
         ":1: the header has no column ExplainLink"},
        {"# nothing but a comment\n", "no header line"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        writeFile(source, c.content);
        const ToolRun run = runTool({"build", source, target});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("left unchanged")));
        EXPECT_EQ(readFile(target), before);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"ZarnREZ.dat", "source.tsv"}));
}

TEST_F(CatalogueToolTest, ListReportsAMissingOrBrokenCatalogueAndBadArguments)
{
    ToolRun run = runTool({"list", target, "0"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no such file")));
    EXPECT_FALSE(QFile::exists(target));

    writeFile(target, QByteArray(2048, 'x'));
    run = runTool({"list", target, "0"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("file is not a database")));

    EXPECT_EQ(runTool({"list", target, "zero"}).status, 2);
    EXPECT_EQ(runTool({"frobnicate"}).status, 2);
}

// The repository's demo catalogue builds cleanly, fills every category button,
// leaves room for the row's link after each explanation, and its pages exist.
TEST_F(CatalogueToolTest, TheDemoCatalogueBuildsAndFits)
{
    const QString server = QStringLiteral("http://127.0.0.1:1");
    const ToolRun run =
        runTool({"build", VERDANE_DEMO_DIR "/catalogue.tsv", target, "--server", "127.0.0.1:1"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QStringLiteral("warning"))) << run.err.toStdString();

    MapCatalogue catalogue(target);
    QSet<QString> files;
    bool chineseFile = false;
    for (int category : {99, 0, 1, 2, 3, 4}) {
        ASSERT_TRUE(catalogue.LoadCategory(category)) << category;
        const QString folder =
            category == MapCatalogue::ToolsCategory ? "/files/tools/" : "/files/maps/";
        for (const MapRecord& record : catalogue.records()) {
            SCOPED_TRACE(record.MapName.toStdString());
            EXPECT_LE(cp936Length(record.MapExplain), 40);
            EXPECT_TRUE(record.Down_Link.startsWith(server + folder));
            // Pictures and explanation pages are kept in demo/www; the files are generated.
            for (const QString& page : {record.Pic_Link, record.ExplainLink})
                EXPECT_TRUE(QFile::exists(VERDANE_DEMO_DIR "/www" + page.mid(server.size())));
            const QString file = record.fileName().toString();
            EXPECT_FALSE(files.contains(file));
            files.insert(file);
            chineseFile = chineseFile || cp936Length(file) > file.size();
        }
    }
    EXPECT_GE(files.size(), 18);
    EXPECT_TRUE(chineseFile);
    EXPECT_EQ(prompt.count(), 0);
}

} // namespace
} // namespace verdane::test
