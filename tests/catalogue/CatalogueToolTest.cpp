#include "catalogue/MapCatalogue.h"
#include "support/CatalogueFile.h"
#include "support/Files.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane::test {
namespace {

const QByteArray header =
    "Maptype\tUpdateTime\tMapName\tMapExplain\tPic_Link\tDown_Link\tExplainLink\n";

// The tool's exit status, then what it wrote to stdout and stderr.
QStringList runTool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral(VERDANE_CATALOGUE_TOOL), args);
    tool.waitForFinished(20000);
    return {QString::number(tool.exitCode()), QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
}

TEST(CatalogueToolTest, BuildsACatalogueTheProgramReadsAndKeepsItWhenALineIsBad)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.tsv"));
    const QString target = dir.filePath(QStringLiteral("ZarnREZ.dat"));
    writeFile(source, "# a comment\n\n" + header +
                          "0\t2024-01-02\t旧图\t说明\thttp://{server}/p.svg\t/o.w3x\te\r\n" +
                          "0\t2024-03-01 10:00\t新图\t\tp\thttp://x/新.w3x\thttp://x/e\n");
    ASSERT_EQ(runTool({"build", source, target, "--server", "example.org:81"}).at(0), "0");
    EXPECT_EQ(runTool({"list", target, "0"}).at(1),
              QString::fromUtf8(
                  header + "0\t2024-03-01 10:00\t新图\t\tp\thttp://x/新.w3x\thttp://x/e\n"
                           "0\t2024-01-02\t旧图\t说明\thttp://example.org:81/p.svg\t/o.w3x\te\n"));
    const QByteArray before = readFile(target);
    const std::pair<QByteArray, QString> cases[] = {
        {header + "1\t2024-01-01\tok\tx\tp\th/a\te\n1\t2024-01-01\tshort\tp\th/b\te\n",
         ":3: 6 fields, expected 7"},
        {header + "1\t2024-02-30\tname\tx\tp\th/a\te\n", ":2: UpdateTime \"2024-02-30\""},
        {header + "\n1\t2024-01-01\tna\xff\tx\tp\th/a\te\n", ":3: not UTF-8 text"},
    };
    for (const auto& [content, message] : cases) {
        writeFile(source, content);
        const QStringList run = runTool({"build", source, target});
        EXPECT_TRUE(run.at(0) == "1" && run.at(2).contains(message) &&
                    run.at(2).contains("left unchanged"))
            << run.join(u'\n').toStdString();
        EXPECT_EQ(readFile(target), before);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"ZarnREZ.dat", "source.tsv"}));
}

// The program pages a category in the order the tool lists it, entries of the
// same time included, with or without the index the tool writes.
TEST(CatalogueToolTest, TheProgramPagesACategoryInTheOrderTheToolListsIt)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ZarnREZ.dat"));
    QList<CatalogueRow> rows;
    for (int i = 0; i < 40; ++i)
        rows.append({i % 3 == 0 ? 2 : 0, QString::number(i % 5), QString::number(i)});
    for (const bool indexed : {false, true}) {
        ASSERT_TRUE(writeCatalogue(file, rows, indexed));
        QStringList listed;
        for (const QString& line : runTool({"list", file, "0"}).at(1).split(u'\n').mid(1, 26))
            listed << line.section(u'\t', 2, 2);
        MapCatalogue catalogue(file);
        QStringList paged;
        for (qsizetype first = 0; first < 30; first += 3)
            for (const MapRecord& record : catalogue.page(0, first, 3).records)
                paged << record.MapName;
        EXPECT_EQ(paged, listed) << indexed;
    }
}

} // namespace
} // namespace verdane::test
