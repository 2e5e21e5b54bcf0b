#include "download/DownloadFileName.h"

#include <gtest/gtest.h>

namespace verdane {
namespace {

TEST(DownloadFileName, TakesTheLastPieceAsItStandsAndRefusesUnsafeNames)
{
    const QString host = QStringLiteral("http://host/");
    const QString refused;
    const struct {
        QString link;
        QString name;
    } cases[] = {
        {host + "files/abc.w3x", "abc.w3x"},
        {host + "files/", "files"},
        {"abc.w3x", "abc.w3x"},
        {host + "地图 一.w3x", "地图 一.w3x"},
        {host + "a%20b.w3x?x=1", "a%20b.w3x?x=1"},
        {"", refused},
        {host + "dir//", refused},
        {host + ".", refused},
        {host + "../", refused},
        {host + ".hidden", refused},
        {host + "a\\b.w3x", refused},
        {host + "a\tb.w3x", refused},
        {host + "a\x7f" + "b.w3x", refused},
        {host + "a" + QChar(0x85) + "b.w3x", refused},
        {host + QString(255, u'n'), QString(255, u'n')},
        {host + QString(256, u'n'), refused},
        // 85 Chinese characters are 255 bytes on disk, 86 are 258.
        {host + QString(85, u'图'), QString(85, u'图')},
        {host + QString(86, u'图'), refused},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DownloadFileName(c.link), c.name) << c.link.toStdString();
}

} // namespace
} // namespace verdane
