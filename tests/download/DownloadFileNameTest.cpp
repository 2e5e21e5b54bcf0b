#include "download/DownloadFileName.h"

#include <gtest/gtest.h>

namespace verdane {
namespace {

TEST(DownloadFileName, TakesTheLastPieceAndRefusesUnsafeNames)
{
    const struct {
        QString link;
        QString name; // empty: refused
    } cases[] = {
        {"http://host/files/abc.w3x", "abc.w3x"},
        {"http://host/files/", "files"},
        {"abc.w3x", "abc.w3x"},
        {"http://host/地图 一.w3x", "地图 一.w3x"},
        {"http://host/a%20b.w3x", "a%20b.w3x"},
        {"http://host/f.zip?x=1", "f.zip?x=1"},
        {"", ""},
        {"http://host/dir//", ""},
        {"http://host/.", ""},
        {"http://host/..", ""},
        {"http://host/../", ""},
        {"http://host/.hidden", ""},
        {"http://host/a\\b.w3x", ""},
        {"http://host/a\tb.w3x", ""},
        {"http://host/a\nb.w3x", ""},
        {"http://host/a\x7f"
         "b.w3x",
         ""},
        {QStringLiteral("http://host/a") + QChar(0x85) + QStringLiteral("b.w3x"), ""},
        {"http://host/" + QString(255, u'n'), QString(255, u'n')},
        {"http://host/" + QString(256, u'n'), ""},
        // 85 Chinese characters are 255 bytes on disk, 86 are 258.
        {"http://host/" + QString(85, QChar(0x56fe)), QString(85, QChar(0x56fe))},
        {"http://host/" + QString(86, QChar(0x56fe)), ""},
    };
    for (const auto& row : cases)
        EXPECT_EQ(DownloadFileName(row.link), row.name) << row.link.toStdString();
}

} // namespace
} // namespace verdane
