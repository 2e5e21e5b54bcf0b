#include "catalogue/CatalogueFiles.h"
#include "catalogue/MapCatalogue.h"
#include "catalogue/ScopedCurrentDir.h"
#include "common/Cp936.h"
#include "support/FakePrompt.h"

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
    ToolRun run;
    if (!tool.waitForFinished(20000))
        return run;
    run.status = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

class CatalogueToolTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QString source = dir.filePath(QStringLiteral("source.tsv"));
    QString target = dir.filePath(QStringLiteral("ZarnREZ.dat"));
};

TEST_F(CatalogueToolTest, BuildsACatalogueTheProgramReadsInItsOrder)
{
    writeAll(source,
             "# a comment\n\n" + header +
                 "0\t2024-01-02\t旧图\t说明\thttp://{server}/p.svg\thttp://{server}/f/"
                 "old.w3x\thttp://{server}/e.html\r\n"
                 "0\t2024-03-01 "
                 "10:00\t新图\t\thttp://{server}/p.svg\thttp://{server}/f/新.w3x\thttp://x/e\n"
                 "4\t2024-02-01 09:30:15\t工具\t好用\tp\tt.zip\te\n");
    ToolRun run = runTool({QStringLiteral("build"), source, target, QStringLiteral("--server"),
                           QStringLiteral("example.org:81")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    run = runTool({QStringLiteral("list"), target, QStringLiteral("0")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString::fromUtf8(header) +
                           QStringLiteral(
                               "0\t2024-03-01 10:00\t新图\t\thttp://example.org:81/p.svg\t"
                               "http://example.org:81/f/新.w3x\thttp://x/e\n"
                               "0\t2024-01-02\t旧图\t说明\thttp://example.org:81/p.svg\t"
                               "http://example.org:81/f/old.w3x\thttp://example.org:81/e.html\n"));

    run = runTool({QStringLiteral("list"), target, QStringLiteral("7")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QString::fromUtf8(header));

    FakePrompt prompt;
    ScopedCurrentDir cwd(dir.path());
    MapCatalogue catalogue;
    ASSERT_TRUE(catalogue.LoadCategory(4));
    EXPECT_EQ(catalogue.records().at(0).MapName, QStringLiteral("工具"));
    EXPECT_EQ(prompt.count(), 0);
}

TEST_F(CatalogueToolTest, BadLinesAreNamedAndTheOldCatalogueStays)
{
    writeAll(source, header + "1\t2024-01-01\told\tx\tp\thttp://h/old.w3x\te\n");
    ASSERT_EQ(runTool({QStringLiteral("build"), source, target}).status, 0);
    const QByteArray before = readAll(target);
    ASSERT_FALSE(before.isEmpty());

    const struct {
        QByteArray content;
        const char* message;
    } cases[] = {
        {header + "1\t2024-01-01\tok\tx\tp\th/a.w3x\te\n1\t2024-01-01\tshort\tp\th/b.w3x\te\n",
         ":3: 6 fields, expected 7"},
        {header + "one\t2024-01-01\tname\tx\tp\th/a.w3x\te\n",
         ":2: Maptype \"one\" is not a whole number"},
        {header + "1\t01/02/2024\tname\tx\tp\th/a.w3x\te\n", ":2: UpdateTime \"01/02/2024\""},
        {header + "1\t2024-02-30\tname\tx\tp\th/a.w3x\te\n", ":2: UpdateTime \"2024-02-30\""},
        {header + "1\t2024-01-01\t \tx\tp\th/a.w3x\te\n", ":2: MapName is empty"},
        {header + "1\t2024-01-01\tname\tx\tp\thttp://h//\te\n",
         ":2: Down_Link \"http://h//\" names no file"},
        {header + "\n1\t2024-01-01\tna\xff\tx\tp\th/a.w3x\te\n", ":3: not UTF-8 text"},
        {"Maptype\tUpdateTime\tMapName\tMapExplain\tPic_Link\tDown_Link\n",
         ":1: the header has no column ExplainLink"},
        {"# nothing but a comment\n", "no header line"},
    };
    for (const auto& c : cases) {
        writeAll(source, c.content);
        const ToolRun run = runTool({QStringLiteral("build"), source, target});
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << c.message << "\n"
                                                                    << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("left unchanged"))) << c.message;
        EXPECT_EQ(readAll(target), before) << c.message;
    }
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{QStringLiteral("ZarnREZ.dat"), QStringLiteral("source.tsv")}));
}

TEST_F(CatalogueToolTest, ListReportsAMissingOrBrokenCatalogue)
{
    ToolRun run = runTool({QStringLiteral("list"), target, QStringLiteral("0")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no such file")));
    EXPECT_FALSE(QFile::exists(target));

    writeAll(target, QByteArray(2048, 'x'));
    run = runTool({QStringLiteral("list"), target, QStringLiteral("0")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("file is not a database")));

    EXPECT_EQ(runTool({QStringLiteral("list"), target, QStringLiteral("zero")}).status, 2);
    EXPECT_EQ(runTool({QStringLiteral("frobnicate")}).status, 2);
}

// The demo catalogue of the repository: it builds cleanly, fills every category
// button, its explanations leave room for the row's link, and its pages exist.
TEST_F(CatalogueToolTest, TheDemoCatalogueBuildsAndFits)
{
    const QString demo = QStringLiteral(VERDANE_DEMO_DIR "/catalogue.tsv");
    const ToolRun run = runTool({QStringLiteral("build"), demo, target, QStringLiteral("--server"),
                                 QStringLiteral("127.0.0.1:1")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QStringLiteral("warning"))) << run.err.toStdString();

    FakePrompt prompt;
    ScopedCurrentDir cwd(dir.path());
    MapCatalogue catalogue;
    int total = 0;
    bool chineseFile = false;
    QSet<QString> files;
    for (int category : {99, 0, 1, 2, 3, 4}) {
        ASSERT_TRUE(catalogue.LoadCategory(category)) << category;
        total += static_cast<int>(catalogue.records().count());
        for (const MapRecord& record : catalogue.records()) {
            EXPECT_LE(cp936Length(record.MapExplain), 40) << record.MapName.toStdString();
            const QString folder = category == MapCatalogue::ToolsCategory
                                       ? QStringLiteral("http://127.0.0.1:1/files/tools/")
                                       : QStringLiteral("http://127.0.0.1:1/files/maps/");
            EXPECT_TRUE(record.Down_Link.startsWith(folder)) << record.Down_Link.toStdString();
            // Pictures and explanation pages are kept in demo/www; the files are generated.
            for (const QString& page : {record.Pic_Link, record.ExplainLink}) {
                const QString path = page.mid(QStringLiteral("http://127.0.0.1:1").size());
                EXPECT_TRUE(QFile::exists(QStringLiteral(VERDANE_DEMO_DIR "/www") + path))
                    << page.toStdString();
            }
            const QString file = record.fileName().toString();
            EXPECT_FALSE(files.contains(file)) << file.toStdString();
            files.insert(file);
            chineseFile = chineseFile || cp936Length(file) > file.size();
        }
    }
    EXPECT_GE(total, 18);
    EXPECT_TRUE(chineseFile);
    EXPECT_EQ(prompt.count(), 0);
}

} // namespace
} // namespace verdane::test
