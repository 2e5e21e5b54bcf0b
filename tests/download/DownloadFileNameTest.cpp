#include "download/DownloadFileName.h"

#include <gtest/gtest.h>

namespace verdane {
namespace {

TEST(downloadFileName, TakesTheLastPieceAsItStandsAndRefusesUnsafeNames)
{
    const QString host = QStringLiteral("http://host/");
    const QString refused;
    const std::pair<QString, QString> cases[] = {
        {host + "files/abc.w3x", "abc.w3x"},
        {host + "files/", "files"},
        {host + "地图 一.w3x?x=1", "地图 一.w3x?x=1"},
        {"", refused},
        {host + "dir//", refused},
        {host + "../", refused},
        {host + ".hidden", refused},
        {host + "a\\b.w3x", refused},
        {host + "a\tb.w3x", refused},
        {host + "a" + QChar(0x85) + "b.w3x", refused},
        // 85 Chinese characters are 255 bytes on disk, 86 are 258.
        {host + QString(85, u'图'), QString(85, u'图')},
        {host + QString(86, u'图'), refused},
    };
    for (const auto& [link, name] : cases)
        EXPECT_EQ(downloadFileName(link), name) << link.toStdString();
}

} // namespace
} // namespace verdane
