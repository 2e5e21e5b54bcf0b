#include "catalogue/MapCatalogue.h"
#include "download/Sha256.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/Files.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane::test {
namespace {

TEST(CatalogueDigest, TheToolFillsDown_Sha256FromTheServedFilesAndTheProgramReadsIt)
{
    QTemporaryDir dir;
    FakePrompt prompt;
    const QByteArray map = "the map's bytes";
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("www/files/地图 a.w3x")), map));
    const QString source = dir.filePath(QStringLiteral("source.tsv"));
    const QString target = dir.filePath(QStringLiteral("ZarnREZ.dat"));
    ASSERT_TRUE(writeFile(
        source, "Maptype\tUpdateTime\tMapName\tMapExplain\tPic_Link\tDown_Link\tExplainLink\n"
                "0\t2024-01-03\tserved\t\tp\thttp://{server}/files/%E5%9C%B0%E5%9B%BE%20a.w3x\te\n"
                "0\t2024-01-02\tmissing\t\tp\thttp://{server}/files/gone.w3x\te\n"
                "0\t2024-01-01\telsewhere\t\tp\thttp://example.org/files/地图 a.w3x\te\n"));
    QProcess tool;
    tool.start(QStringLiteral(VERDANE_CATALOGUE_TOOL),
               {"build", source, target, "--server", "h:81", "--files", dir.filePath("www")});
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 0);
    const QStringList warnings =
        QString::fromUtf8(tool.readAllStandardError()).split(u'\n').filter(u"warning");
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(source + QStringLiteral(":3: ")))
        << warnings[0].toStdString();

    MapCatalogue catalogue(target);
    ASSERT_TRUE(catalogue.LoadCategory(0));
    QStringList digests;
    for (const MapRecord& record : catalogue.records())
        digests << record.Down_Sha256;
    const QString expected =
        QString::fromLatin1(QCryptographicHash::hash(map, QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(digests, QStringList({expected, {}, {}}));

    // A catalogue without the column reads as before, without a word.
    const QString plain = dir.filePath(QStringLiteral("plain.dat"));
    ASSERT_TRUE(writeCatalogue(plain, {{0, "2024-01-01", "old", {}, {}, "http://h/x.w3x", {}}}));
    MapCatalogue without(plain);
    ASSERT_TRUE(without.LoadCategory(0));
    EXPECT_TRUE(without.records().at(0).Down_Sha256.isEmpty());
    EXPECT_TRUE(prompt.texts().isEmpty());
}

TEST(CatalogueDigest, ACellIsSixtyFourHexDigitsOfEitherCase)
{
    const QString digits = QStringLiteral("00112233445566778899aabbccddeeff");
    const QByteArray bytes = QByteArray::fromHex(digits.toLatin1());
    const struct {
        QString cell;
        QByteArray digest;
    } cases[] = {
        {digits + digits, bytes + bytes}, {digits + digits.toUpper(), bytes + bytes}, {{}, {}},
        {digits + digits + u'0', {}},     {digits + digits.left(31) + u'g', {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sha256::FromHex(c.cell), c.digest) << c.cell.toStdString();
}

} // namespace
} // namespace verdane::test
