#include "catalogue/MapCatalogue.h"
#include "download/Sha256.h"
#include "support/Files.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane::test {
namespace {

// Catalogues without the column are those of all the other catalogue tests.
TEST(CatalogueDigest, TheToolFillsDown_Sha256FromTheServedFilesAndTheProgramReadsIt)
{
    QTemporaryDir dir;
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
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.value(0).startsWith(source + QStringLiteral(":3: ")))
        << warnings.join(u'\n').toStdString();

    MapCatalogue catalogue(target);
    QStringList digests;
    for (const MapRecord& record : catalogue.page(0, 0, 3).records)
        digests << record.Down_Sha256;
    EXPECT_EQ(
        digests,
        QStringList({QCryptographicHash::hash(map, QCryptographicHash::Sha256).toHex(), {}, {}}));
}

TEST(CatalogueDigest, ACellIsSixtyFourHexDigitsOfEitherCase)
{
    const QString digits = QStringLiteral("00112233445566778899aabbccddeeff");
    const QByteArray bytes = QByteArray::fromHex(digits.toLatin1());
    const std::pair<QString, QByteArray> cases[] = {
        {digits + digits, bytes + bytes}, {digits + digits.toUpper(), bytes + bytes}, {{}, {}},
        {digits + digits + u'0', {}},     {digits + digits.left(31) + u'g', {}},
    };
    for (const auto& [cell, digest] : cases)
        EXPECT_EQ(Sha256::fromHex(cell), digest) << cell.toStdString();
}

} // namespace
} // namespace verdane::test
